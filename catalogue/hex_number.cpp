// Number syntax of the init scripts: "0x" or "0X", then 1 to 8 hex digits.
#include "catalogue/hex_number.h"

#include <cstring>

#include "catalogue/script_reader.h"

namespace {

int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

int parse_hex_text(std::string_view text, std::uint32_t* value) {
    // The checks run in this order: prefix, length, digits.
    if (text.size() < 2 || text[0] != '0' || (text[1] != 'x' && text[1] != 'X')) return HEX_ERR_PREFIX;
    if (text.size() < 3 || text.size() > 10) return HEX_ERR_LENGTH;
    std::uint32_t result = 0;
    for (std::size_t i = 2; i < text.size(); ++i) {
        const int digit = hex_digit(text[i]);
        if (digit < 0) return HEX_ERR_DIGIT;
        result = (result << 4) | static_cast<std::uint32_t>(digit);
    }
    if (value != nullptr) *value = result;
    return 0;
}

int parse_hex_number(const char* text, std::uint32_t* value) {
    if (text == nullptr) return HEX_ERR_PREFIX;
    return parse_hex_text(std::string_view(text, std::strlen(text)), value);
}
