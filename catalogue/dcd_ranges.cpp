// Check of register addresses against a target's valid DCD ranges.
#include <cstdio>

#include "catalogue/script_reader.h"

int check_dcd_ranges(const DcdItem* items, int count, int range_count, const DcdRange* ranges) {
    if (items == nullptr || count <= 0) return 0;
    if (ranges == nullptr) range_count = 0;
    for (int i = 0; i < count; ++i) {
        const std::uint32_t addr = items[i].addr;
        bool inside = false;
        for (int r = 0; r < range_count && !inside; ++r)
            inside = ranges[r].low <= addr && addr <= ranges[r].high;
        if (!inside) {
            // A diagnostic for whoever watches standard output; the operator
            // sees the download's own message.
            std::printf("dcd address 0x%08x out of valid range.\n", static_cast<unsigned>(addr));
            std::fflush(stdout);
            return -1;
        }
    }
    return 0;
}
