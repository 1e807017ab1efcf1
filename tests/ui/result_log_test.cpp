#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

#include "dialog_fixture.h"
#include "ui/log_name.h"

namespace fs = std::filesystem;

namespace {

std::tm at(int year, int month, int day, int hour, int minute, int second) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return t;
}

std::string sep(const std::string& name) {
    std::string s = name;
    for (char& c : s)
        if (c == '\\') c = LOG_PATH_SEPARATOR;
    return s;
}

std::vector<unsigned char> bytes_of(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

TEST(LogName, UnpaddedTimeOfDay) {
    EXPECT_EQ(log_file_name(LogKind::calibration, at(2025, 1, 7, 5, 4, 3)),
              sep("log\\ddr_calibration_20250107-5'4'3.log"));
    EXPECT_EQ(log_file_name(LogKind::stress_test, at(2024, 3, 2, 9, 5, 7)),
              sep("log\\ddr_stresstest_20240302-9'5'7.log"));
    EXPECT_EQ(log_file_name(LogKind::stress_test, at(2024, 12, 31, 23, 59, 58)),
              sep("log\\ddr_stresstest_20241231-23'59'58.log"));
}

class ResultLog : public DialogTest {
protected:
    ResultLog() {
        dir = fs::path(ORVANE_BINARY_DIR) / "result_log_test" /
              ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(dir);
        fs::create_directories(dir / "log");
        dlg.SetLogFolder((dir / "log").string());
        dlg.SetLocalTimeSource([this] { return now; });
    }
    fs::path saved(LogKind kind) { return log_file_name(kind, now, (dir / "log").string()); }

    fs::path dir;
    std::tm now = at(2025, 1, 7, 5, 4, 3);
};

TEST_F(ResultLog, BytesAreThePanesUtf8) {
    struct Case {
        std::u16string text;
        std::vector<unsigned char> bytes;
    };
    const Case cases[] = {
        {u"A\r\nB", {0x41, 0x0D, 0x0A, 0x42}},
        {u"\u00E9", {0xC3, 0xA9}},
        {u"", {}},
        {u"100%s\n", {'1', '0', '0', '%', 's', 0x0A}},
    };
    for (const Case& c : cases) {
        dlg.ClearOutput();
        dlg.AppendOutput(c.text);
        host.clear_boxes();
        dlg.OnBnClickedSaveCalibration();
        EXPECT_EQ(bytes_of(saved(LogKind::calibration)), c.bytes) << narrow(c.text);
        ASSERT_EQ(host.boxes().size(), 1u);
        EXPECT_EQ(narrow(host.boxes()[0].text), saved(LogKind::calibration).string() + " is saved");
        EXPECT_EQ(host.boxes()[0].caption, u"Orvane");
    }
}

TEST_F(ResultLog, BothKindsInOneSecondAndASecondSave) {
    dlg.AppendOutput(u"first");
    dlg.OnBnClickedSaveStress();
    dlg.ClearOutput();
    dlg.AppendOutput(u"second");
    dlg.OnBnClickedSaveStress();
    dlg.OnBnClickedSaveCalibration();
    EXPECT_EQ(bytes_of(saved(LogKind::stress_test)),
              (std::vector<unsigned char>{'s', 'e', 'c', 'o', 'n', 'd'}));
    EXPECT_TRUE(fs::exists(saved(LogKind::calibration)));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "log"), fs::directory_iterator()), 2);
}

TEST_F(ResultLog, MissingFolderIsNotCreated) {
    fs::remove_all(dir / "log");
    dlg.AppendOutput(u"result");
    dlg.OnBnClickedSaveCalibration();
    ASSERT_EQ(host.boxes().size(), 1u);
    EXPECT_EQ(host.boxes()[0].text, u"Log file can not be created");
    EXPECT_EQ(host.boxes()[0].caption, u"Orvane");
    EXPECT_FALSE(fs::exists(dir / "log"));
    EXPECT_EQ(dlg.m_strOutput, u"result");
}

TEST_F(ResultLog, SaveTakesInPendingText) {
    dlg.AppendOutput(u"a");
    std::thread([&] { dlg.AppendOutput(u"b"); }).join();
    dlg.OnBnClickedSaveCalibration();
    EXPECT_EQ(bytes_of(saved(LogKind::calibration)), (std::vector<unsigned char>{'a', 'b'}));
}

TEST_F(ResultLog, SaveButtonsThroughTheMessageMap) {
    host.enable(IDC_SAVE_STRESS, true);
    ASSERT_TRUE(host.click(IDC_SAVE_STRESS));
    EXPECT_TRUE(fs::exists(saved(LogKind::stress_test)));
}
