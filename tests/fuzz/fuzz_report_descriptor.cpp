// Report descriptors of any content: parsing stays inside the bytes given,
// the table and the per-type lengths agree, a descriptor without report IDs
// has reports of ID 0 only, and an invalid one gives lengths of 0.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "fuzz_input.h"
#include "usb/hid_report_descriptor.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // An exact-size copy, so a read one byte past the end is seen.
    const std::vector<std::uint8_t> bytes(data, data + size);
    const HidReportTable table = hid_report_table(bytes.data(), bytes.size());
    const HidReportLengths lengths = hid_report_lengths(bytes.data(), bytes.size());
    const HidReportLengths from_table = hid_report_lengths(table);
    FUZZ_CHECK(lengths.input == from_table.input && lengths.output == from_table.output &&
               lengths.feature == from_table.feature);
    if (!table.valid) {
        FUZZ_CHECK(lengths.input == 0 && lengths.output == 0 && lengths.feature == 0);
        return 0;
    }
    const std::uint16_t longest[3] = {lengths.input, lengths.output, lengths.feature};
    for (int type = 0; type < 3; ++type) {
        const auto& row = table.length[type];
        FUZZ_CHECK(*std::max_element(row.begin(), row.end()) == longest[type]);
        for (int id = 0; id < 256; ++id) {
            if (!table.numbered && id != 0) FUZZ_CHECK(row[id] == 0);
        }
    }
    return 0;
}
