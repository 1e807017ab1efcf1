#include "usb/hid_report_descriptor.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

HidReportLengths lengths_of(const Bytes& d) { return hid_report_lengths(d.data(), d.size()); }

// The board's serial-download interface: ID 1 output 16 bytes, ID 2 output
// 1024 bytes, ID 3 input 4 bytes, ID 4 input 64 bytes.
const Bytes BOARD = {
    0x06, 0x00, 0xFF,        // Usage Page (vendor)
    0x09, 0x01,              // Usage
    0xA1, 0x01,              // Collection (application)
    0x85, 0x01, 0x75, 0x08, 0x95, 0x10, 0x09, 0x01, 0x91, 0x02,  // ID 1, 8 bits x 16, Output
    0x85, 0x02, 0x96, 0x00, 0x04, 0x09, 0x01, 0x91, 0x02,        // ID 2, x 1024, Output
    0x85, 0x03, 0x95, 0x04, 0x09, 0x01, 0x81, 0x02,              // ID 3, x 4, Input
    0x85, 0x04, 0x95, 0x40, 0x09, 0x01, 0x81, 0x02,              // ID 4, x 64, Input
    0xC0,                    // End Collection
};

TEST(HidReportDescriptor, BoardInterfaceGivesWindowsLengths) {
    const HidReportTable table = hid_report_table(BOARD.data(), BOARD.size());
    ASSERT_TRUE(table.valid);
    EXPECT_TRUE(table.numbered);
    EXPECT_EQ(table.length[HID_REPORT_OUTPUT][1], 17);
    EXPECT_EQ(table.length[HID_REPORT_OUTPUT][2], 1025);
    EXPECT_EQ(table.length[HID_REPORT_INPUT][3], 5);
    EXPECT_EQ(table.length[HID_REPORT_OUTPUT][3], 0);
    const HidReportLengths l = hid_report_lengths(table);
    EXPECT_EQ(l.input, 65);
    EXPECT_EQ(l.output, 1025);
    EXPECT_EQ(l.feature, 0);
}

struct LengthCase {
    const char* name;
    Bytes descriptor;
    std::uint16_t input, output, feature;
};

const LengthCase CASES[] = {
    // No report IDs: still one byte for ID 0.
    {"unnumbered", {0x75, 0x08, 0x95, 0x08, 0x81, 0x02, 0x95, 0x02, 0x91, 0x02}, 9, 3, 0},
    // Bit fields are summed within a report, then rounded up to bytes.
    {"bit fields", {0x75, 0x01, 0x95, 0x03, 0x81, 0x02, 0x75, 0x02, 0x95, 0x01, 0x81, 0x03}, 2, 0, 0},
    // A long item (0xFE, size 3, tag) is skipped whole.
    {"long item", {0xFE, 0x03, 0x10, 0x75, 0x08, 0x95, 0x75, 0x08, 0x95, 0x04, 0xB1, 0x02}, 0, 0, 5},
    // Push keeps size 8, count 4; the pop brings it back after 16 x 2.
    {"push pop",
     {0x75, 0x08, 0x95, 0x04, 0xA4, 0x75, 0x10, 0x95, 0x02, 0x81, 0x02, 0xB4, 0x81, 0x02}, 9, 0, 0},
    // Push and Pop also carry the report ID.
    {"push pop id",
     {0x85, 0x01, 0x75, 0x08, 0x95, 0x02, 0xA4, 0x85, 0x02, 0x95, 0x05, 0x91, 0x02, 0xB4, 0x91, 0x02},
     0, 6, 0},
    // A 4-byte Report Count.
    {"count 32 bit", {0x75, 0x08, 0x97, 0x00, 0x01, 0x00, 0x00, 0x91, 0x02}, 0, 257, 0},
    // Zero-size data of a Report Count means 0.
    {"empty data", {0x75, 0x08, 0x95, 0x04, 0x94, 0x81, 0x02}, 1, 0, 0},
    {"nothing", {}, 0, 0, 0},
};

TEST(HidReportDescriptor, LengthTable) {
    for (const LengthCase& c : CASES) {
        const HidReportTable table = hid_report_table(c.descriptor.data(), c.descriptor.size());
        EXPECT_TRUE(table.valid) << c.name;
        const HidReportLengths l = hid_report_lengths(table);
        EXPECT_EQ(l.input, c.input) << c.name;
        EXPECT_EQ(l.output, c.output) << c.name;
        EXPECT_EQ(l.feature, c.feature) << c.name;
    }
}

TEST(HidReportDescriptor, NumberedOnlyWithReportIds) {
    const Bytes unnumbered = {0x75, 0x08, 0x95, 0x08, 0x81, 0x02};
    EXPECT_FALSE(hid_report_table(unnumbered.data(), unnumbered.size()).numbered);
}

TEST(HidReportDescriptor, BrokenDescriptorsAreRejected) {
    const struct {
        const char* name;
        Bytes descriptor;
    } broken[] = {
        {"cut in short item", {0x75, 0x08, 0x96, 0x00}},
        {"cut in long item header", {0xFE, 0x05}},
        {"cut in long item data", {0xFE, 0x05, 0x10, 0x00, 0x00}},
        {"pop without push", {0xB4}},
        {"report id 0", {0x85, 0x00}},
        {"report id 256", {0x86, 0x00, 0x01}},
        {"report too long", {0x75, 0x08, 0x97, 0x00, 0x00, 0x01, 0x00, 0x81, 0x02}},
        {"size times count overflows", {0x77, 0xFF, 0xFF, 0xFF, 0xFF, 0x97, 0xFF, 0xFF, 0xFF, 0xFF, 0x81, 0x02}},
        {"pushes too deep", Bytes(17, 0xA4)},
    };
    for (const auto& c : broken) {
        EXPECT_FALSE(hid_report_table(c.descriptor.data(), c.descriptor.size()).valid) << c.name;
        const HidReportLengths l = lengths_of(c.descriptor);
        EXPECT_EQ(l.input + l.output + l.feature, 0) << c.name;
    }
}

Bytes from_hex(const std::string& hex) {
    Bytes out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        out.push_back(static_cast<std::uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
    return out;
}

// Descriptors of real devices with the lengths Windows reported for them.
TEST(HidReportDescriptor, MatchesWindowsOnRealDevices) {
    const std::filesystem::path table =
        std::filesystem::path(ORVANE_SOURCE_DIR) / ".." / "shared" / "testdata" / "hid-descriptors" /
        "windows-caps.tsv";
    std::ifstream in(table);
    if (!in) GTEST_SKIP() << "conformance table not found at " << table.string();

    int rows = 0;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        std::string name, vendor, product, page, usage, hex;
        unsigned input = 0, output = 0, feature = 0;
        fields >> name >> vendor >> product >> page >> usage >> input >> output >> feature >> hex;
        ASSERT_FALSE(fields.fail()) << line;
        const Bytes d = from_hex(hex);
        ASSERT_TRUE(hid_report_table(d.data(), d.size()).valid) << name;
        const HidReportLengths l = lengths_of(d);
        EXPECT_EQ(l.input, input) << name;
        EXPECT_EQ(l.output, output) << name;
        EXPECT_EQ(l.feature, feature) << name;
        ++rows;
    }
    EXPECT_EQ(rows, 25);
}

}  // namespace
