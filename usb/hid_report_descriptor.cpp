#include "usb/hid_report_descriptor.h"

#include <algorithm>

namespace {

constexpr std::uint8_t ITEM_LONG = 0xFE;
constexpr int ITEM_TYPE_MAIN = 0;
constexpr int ITEM_TYPE_GLOBAL = 1;
// Tags of the items that matter, by type.
constexpr int MAIN_INPUT = 0x8;
constexpr int MAIN_OUTPUT = 0x9;
constexpr int MAIN_FEATURE = 0xB;
constexpr int GLOBAL_REPORT_SIZE = 0x7;
constexpr int GLOBAL_REPORT_ID = 0x8;
constexpr int GLOBAL_REPORT_COUNT = 0x9;
constexpr int GLOBAL_PUSH = 0xA;
constexpr int GLOBAL_POP = 0xB;
constexpr int PUSH_DEPTH_MAX = 16;
constexpr std::uint64_t REPORT_BITS_MAX = 65535ull * 8;

struct Globals {
    std::uint32_t report_size = 0;
    std::uint32_t report_count = 0;
    std::uint8_t report_id = 0;
};

}  // namespace

HidReportTable hid_report_table(const std::uint8_t* descriptor, std::size_t size) {
    HidReportTable table;
    if (descriptor == nullptr && size > 0) return table;

    // Bits per (type, report ID); every report starts with the ID byte.
    std::array<std::array<std::uint64_t, 256>, 3> bits{};
    Globals globals;
    std::array<Globals, PUSH_DEPTH_MAX> stack{};
    int depth = 0;

    std::size_t pos = 0;
    while (pos < size) {
        const std::uint8_t prefix = descriptor[pos];
        if (prefix == ITEM_LONG) {
            // Long item: prefix, data size, tag, data. None of them matters here.
            if (size - pos < 3) return table;
            const std::size_t data_size = descriptor[pos + 1];
            if (size - pos - 3 < data_size) return table;
            pos += 3 + data_size;
            continue;
        }
        static constexpr std::size_t DATA_SIZES[4] = {0, 1, 2, 4};
        const std::size_t data_size = DATA_SIZES[prefix & 0x3];
        if (size - pos - 1 < data_size) return table;
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < data_size; ++i)
            value |= static_cast<std::uint32_t>(descriptor[pos + 1 + i]) << (8 * i);
        pos += 1 + data_size;

        const int type = (prefix >> 2) & 0x3;
        const int tag = prefix >> 4;
        if (type == ITEM_TYPE_GLOBAL) {
            switch (tag) {
            case GLOBAL_REPORT_SIZE: globals.report_size = value; break;
            case GLOBAL_REPORT_COUNT: globals.report_count = value; break;
            case GLOBAL_REPORT_ID:
                if (value == 0 || value > 255) return table;
                globals.report_id = static_cast<std::uint8_t>(value);
                table.numbered = true;
                break;
            case GLOBAL_PUSH:
                if (depth == PUSH_DEPTH_MAX) return table;
                stack[depth++] = globals;
                break;
            case GLOBAL_POP:
                if (depth == 0) return table;
                globals = stack[--depth];
                break;
            default: break;
            }
        } else if (type == ITEM_TYPE_MAIN) {
            int report_type = -1;
            if (tag == MAIN_INPUT) report_type = HID_REPORT_INPUT;
            if (tag == MAIN_OUTPUT) report_type = HID_REPORT_OUTPUT;
            if (tag == MAIN_FEATURE) report_type = HID_REPORT_FEATURE;
            if (report_type < 0) continue;
            std::uint64_t& counter = bits[report_type][globals.report_id];
            if (counter == 0) counter = 8;
            counter += static_cast<std::uint64_t>(globals.report_size) * globals.report_count;
            if (counter > REPORT_BITS_MAX) return table;
        }
    }

    for (int t = 0; t < 3; ++t)
        for (int id = 0; id < 256; ++id)
            table.length[t][id] = static_cast<std::uint16_t>((bits[t][id] + 7) / 8);
    table.valid = true;
    return table;
}

HidReportLengths hid_report_lengths(const HidReportTable& table) {
    HidReportLengths lengths;
    if (!table.valid) return lengths;
    const auto longest = [&](int type) {
        return *std::max_element(table.length[type].begin(), table.length[type].end());
    };
    lengths.input = longest(HID_REPORT_INPUT);
    lengths.output = longest(HID_REPORT_OUTPUT);
    lengths.feature = longest(HID_REPORT_FEATURE);
    return lengths;
}

HidReportLengths hid_report_lengths(const std::uint8_t* descriptor, std::size_t size) {
    return hid_report_lengths(hid_report_table(descriptor, size));
}
