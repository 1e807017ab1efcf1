// Report lengths from a HID report descriptor, computed the way the Windows
// HID class driver does for its capabilities: per report type the longest
// report plus one byte for the report ID, also for a device without report
// IDs. Backends without such a driver (hidraw) take their lengths from here.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

enum HidReportType { HID_REPORT_INPUT = 0, HID_REPORT_OUTPUT = 1, HID_REPORT_FEATURE = 2 };

// Lengths of every report, by type and report ID, each counting the ID byte;
// 0 where the descriptor has no such report.
struct HidReportTable {
    bool valid = false;     // false for a truncated or inconsistent descriptor
    bool numbered = false;  // the descriptor declares report IDs
    std::array<std::array<std::uint16_t, 256>, 3> length{};
};

struct HidReportLengths {
    std::uint16_t input = 0;
    std::uint16_t output = 0;
    std::uint16_t feature = 0;
};

// Parses the whole descriptor. A descriptor that is cut inside an item, pops
// more than it pushed, nests pushes deeper than 16, uses a report ID outside
// 1..255 or describes a report longer than 65535 bytes is not valid.
HidReportTable hid_report_table(const std::uint8_t* descriptor, std::size_t size);

// The longest report per type, each counting the ID byte; all 0 when the
// descriptor is not valid.
HidReportLengths hid_report_lengths(const std::uint8_t* descriptor, std::size_t size);
HidReportLengths hid_report_lengths(const HidReportTable& table);
