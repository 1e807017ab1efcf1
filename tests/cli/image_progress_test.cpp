// The image progress bar follows the file-write block and its data reports.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/image_progress.h"

namespace {

std::string drawn(const std::vector<std::vector<std::uint8_t>>& reports) {
    // One file per test: ctest runs the tests of this program side by side.
    const std::string path = (std::filesystem::temp_directory_path() /
                              (std::string("orvane-image-progress-") +
                               ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".txt"))
                                 .string();
    std::FILE* f = std::fopen(path.c_str(), "w+b");
    if (f == nullptr) {
        ADD_FAILURE() << "can not write " << path;
        return {};
    }
    {
        ImageProgress progress(f);
        for (const auto& r : reports) progress.report_written(r.data(), r.size());
    }
    std::string text;
    std::rewind(f);
    for (int c; (c = std::fgetc(f)) != EOF;) text += static_cast<char>(c);
    std::fclose(f);
    std::remove(path.c_str());
    return text;
}

std::vector<std::uint8_t> block(std::uint32_t length) {
    std::vector<std::uint8_t> r(1025, 0);
    r[0] = 1;
    r[1] = r[2] = 0x04;
    r[8] = static_cast<std::uint8_t>(length >> 24);
    r[9] = static_cast<std::uint8_t>(length >> 16);
    r[10] = static_cast<std::uint8_t>(length >> 8);
    r[11] = static_cast<std::uint8_t>(length);
    return r;
}

std::vector<std::uint8_t> data() {
    std::vector<std::uint8_t> r(1025, 0x5A);
    r[0] = 2;
    return r;
}

}  // namespace

TEST(ImageProgress, CountsTheImageAndEndsTheLineAtTheLastReport) {
    const std::string text = drawn({block(2048 + 100), data(), data(), data(), data()});
    EXPECT_NE(text.find("] 0%"), std::string::npos);
    EXPECT_NE(text.find("] 47%"), std::string::npos) << text;
    EXPECT_NE(text.find("] 95%"), std::string::npos) << text;
    EXPECT_EQ(text.substr(text.size() - 7), "] 100%\n") << text;
    EXPECT_EQ(text.find("\n"), text.size() - 1) << "one line, ended once; the report after the image draws nothing";
}

TEST(ImageProgress, OtherReportsDrawNothing) {
    std::vector<std::uint8_t> command(1025, 0);
    command[0] = 1;
    command[1] = command[2] = 0x02;  // a register write
    std::vector<std::uint8_t> firmware_packet(65, 0);
    firmware_packet[0] = 2;
    EXPECT_EQ(drawn({command, data(), firmware_packet, block(0), data()}), "");
}
