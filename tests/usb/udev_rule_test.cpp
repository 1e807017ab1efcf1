// The generated udev rule grants access to exactly the configured IDs.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

namespace {

std::string udev_hex(unsigned long value) {
    char text[8];
    std::snprintf(text, sizeof text, "%04lx", value);
    return text;
}

TEST(UdevRule, OneUaccessLinePerConfiguredProductOnHidraw) {
    std::ifstream in(std::string(ORVANE_BINARY_DIR) + "/packaging/linux/70-orvane.rules");
    ASSERT_TRUE(in) << "the build did not generate packaging/linux/70-orvane.rules";

    const std::string vid = udev_hex(std::stoul(ORVANE_TEST_USB_VID, nullptr, 16));
    std::set<std::string> expected;
    std::istringstream pids(ORVANE_TEST_USB_PIDS);
    for (std::string pid; pids >> pid;) expected.insert(udev_hex(std::stoul(pid, nullptr, 16)));

    std::set<std::string> granted;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        const std::string head = "SUBSYSTEM==\"hidraw\", ATTRS{idVendor}==\"" + vid + "\", ATTRS{idProduct}==\"";
        ASSERT_EQ(line.compare(0, head.size(), head), 0) << line;
        const std::string tail = "\", TAG+=\"uaccess\"";
        ASSERT_GT(line.size(), head.size() + tail.size()) << line;
        ASSERT_EQ(line.substr(line.size() - tail.size()), tail) << line;
        EXPECT_TRUE(granted.insert(line.substr(head.size(), line.size() - head.size() - tail.size())).second)
            << "duplicate line " << line;
    }
    EXPECT_EQ(granted, expected);
}

}  // namespace
