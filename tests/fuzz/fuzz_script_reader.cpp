// Init scripts of any content through both readers: the result is 0 or -1,
// a success stores at most the capacity and nothing beyond it, a failure
// leaves the count alone and one terminated message in script_msg.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "catalogue/script_reader.h"
#include "fuzz_input.h"

namespace {

constexpr DcdItem kCanary{0xDEADBEEF, 0xFEEDFACE};

std::FILE* open_bytes(const std::uint8_t* data, std::size_t size) {
    // fmemopen refuses an empty buffer; an empty file reads the same.
    if (size == 0) return std::fopen("/dev/null", "r");
    return fmemopen(const_cast<std::uint8_t*>(data), size, "r");
}

void read_with(int (*reader)(std::FILE*, DcdItem*, int*), const std::uint8_t* data, std::size_t size,
               int capacity) {
    std::FILE* file = open_bytes(data, size);
    FUZZ_CHECK(file != nullptr);
    std::vector<DcdItem> items(static_cast<std::size_t>(capacity) + 4, kCanary);
    int count = capacity;
    std::memset(script_msg, 'x', sizeof script_msg);
    const int result = reader(file, items.data(), &count);
    std::fclose(file);
    FUZZ_CHECK(result == 0 || result == -1);
    if (result == 0) {
        FUZZ_CHECK(count >= 0 && count <= capacity);
    } else {
        FUZZ_CHECK(count == capacity);
        const std::size_t length = strnlen(script_msg, sizeof script_msg);
        FUZZ_CHECK(length > 0 && length < sizeof script_msg);
    }
    // Nothing is stored past the items read (on a failure: past the capacity).
    const int used = result == 0 ? count : capacity;
    for (std::size_t i = static_cast<std::size_t>(used); i < items.size(); ++i)
        FUZZ_CHECK(items[i].addr == kCanary.addr && items[i].value == kCanary.value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    read_with(parse_setmem_script, data, size, 1024);
    read_with(parse_memory_script, data, size, 1024);
    // A tiny capacity reaches the "out of the max value" path.
    const int small = size > 0 ? data[0] % 4 : 0;
    read_with(parse_setmem_script, data, size, small);
    read_with(parse_memory_script, data, size, small);
    return 0;
}
