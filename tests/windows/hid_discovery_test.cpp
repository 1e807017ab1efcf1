// Discovery against the HID devices Wine itself presents (a virtual mouse
// and keyboard of its own vendor): none of them is one of our boards.
#include <gtest/gtest.h>

#include <string>

#include "usb/hid_link.h"
#include "usb/windows/win_text.h"
#include "usb/windows/windows_hid_backend.h"

namespace {

constexpr std::uint16_t OUR_VID = ORVANE_TEST_VID;
constexpr std::uint16_t OUR_PIDS[] = {ORVANE_TEST_PIDS};

class WineDiscovery : public ::testing::Test {
protected:
    void SetUp() override {
        backend = windows_hid_backend();
        hid_link().backend = backend.get();
        hid_link().vendor_id = OUR_VID;
    }
    void TearDown() override {
        hid_close_device();
        hid_link().backend = nullptr;
        hid_link().device_path.reset();
    }
    std::unique_ptr<HidBackend> backend;
};

TEST_F(WineDiscovery, EveryInterfaceListedIsProbedWithoutHarm) {
    // Wine's own devices may or may not open; either way the probe answers,
    // and nothing it reports carries our vendor and product IDs.
    const std::vector<std::string> paths = backend->enumerate();
    for (const std::string& path : paths) {
        EXPECT_FALSE(path.empty());
        HidDeviceInfo info;
        if (!backend->probe(path, &info)) continue;
        for (std::uint16_t pid : OUR_PIDS)
            EXPECT_FALSE(info.vendor_id == OUR_VID && info.product_id == pid) << path;
    }
    // The order is stable from one enumeration to the next.
    EXPECT_EQ(backend->enumerate(), paths);
}

TEST_F(WineDiscovery, OurBoardsAreNotFoundAndOpenFails) {
    for (std::uint16_t pid : OUR_PIDS) {
        SCOPED_TRACE(pid);
        HidCaps caps;
        EXPECT_EQ(hid_find_device(pid, &caps), 0);
        EXPECT_FALSE(hid_link().device_path.has_value());
    }
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(hid_open_device(), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Failed to open the device for wr/rd.\n");
}

TEST_F(WineDiscovery, PathsThatCannotBeOpenedAreRefused) {
    HidDeviceInfo info;
    for (const char* path : {"", "\\\\?\\hid#nothing#here", "C:\\no\\such\\file"}) {
        SCOPED_TRACE(path);
        EXPECT_FALSE(backend->probe(path, &info));
        EXPECT_EQ(backend->open(path), nullptr);
    }
}

TEST(WinText, DevicePathsSurviveTheTripThroughUtf8) {
    const wchar_t* paths[] = {
        L"\\\\?\\hid#vid_1209&pid_0001#7&2a1b&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}",
        L"\\\\?\\hid#Ger\u00e4t\u20ac#\U0001F600",
    };
    for (const wchar_t* p : paths) {
        const std::string utf8 = win_path_to_utf8(p);
        EXPECT_EQ(win_path_from_utf8(utf8), std::wstring(p));
    }
    EXPECT_EQ(win_path_to_utf8(L"\u00e4"), "\xc3\xa4");
    EXPECT_EQ(win_path_to_utf8(nullptr), "");
    EXPECT_EQ(win_path_from_utf8(""), L"");
}

}  // namespace
