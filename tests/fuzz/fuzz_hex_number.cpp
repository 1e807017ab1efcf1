// The script number syntax on any text: a result of 0 or one of the three
// errors; a success means "0x"/"0X" and 1 to 8 hex digits, and the value
// printed back reads the same; the value is left alone on an error.
#include <cstdint>
#include <cstdio>
#include <string>

#include "catalogue/hex_number.h"
#include "catalogue/script_reader.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);  // may hold zero bytes
    std::uint32_t value = 0x5A5A5A5A;
    const int result = parse_hex_number(text.c_str(), &value);
    FUZZ_CHECK(result == 0 || result == HEX_ERR_PREFIX || result == HEX_ERR_LENGTH ||
               result == HEX_ERR_DIGIT);
    if (result != 0) FUZZ_CHECK(value == 0x5A5A5A5A);

    std::uint32_t whole = 0;
    const int whole_result = parse_hex_text(text, &whole);
    // Up to the first zero byte both agree; the known-length form sees the rest.
    if (text.find('\0') == std::string::npos) FUZZ_CHECK(whole_result == result && (result != 0 || whole == value));

    if (result == 0) {
        const std::size_t digits = std::string(text.c_str()).size() - 2;
        FUZZ_CHECK(digits >= 1 && digits <= 8);
        char again[16];
        std::snprintf(again, sizeof again, "0x%X", static_cast<unsigned>(value));
        std::uint32_t reread = 0;
        FUZZ_CHECK(parse_hex_number(again, &reread) == 0 && reread == value);
    }
    FUZZ_CHECK(parse_hex_number(text.c_str(), nullptr) == result);
    return 0;
}
