// The number syntax of init scripts: "0x"/"0X" and 1 to 8 hex digits, with
// the three error codes tested in the order prefix, length, digits.
#include <gtest/gtest.h>

#include <cstdint>

#include "catalogue/script_reader.h"

namespace {

struct HexCase {
    const char* text;
    int result;
    std::uint32_t value;  // when result is 0
};

TEST(HexNumber, SyntaxBoundariesAndErrorOrder) {
    const HexCase cases[] = {
        {"0x0", 0, 0},
        {"0X0", 0, 0},
        {"0x1", 0, 1},
        {"0x00000001", 0, 1},           // eight digits, ten characters
        {"0xFFFFFFFF", 0, 0xFFFFFFFF},
        {"0xdeadBEEF", 0, 0xDEADBEEF},  // digits in either case
        {"0X021b0000", 0, 0x021B0000},
        {"0x", HEX_ERR_LENGTH, 0},      // prefix passes, then too short
        {"0x000000001", HEX_ERR_LENGTH, 0},  // nine digits
        {"0x123456789", HEX_ERR_LENGTH, 0},
        {"0xGGGGGGGGG", HEX_ERR_LENGTH, 0},  // length is tested before the digits
        {"0xG1", HEX_ERR_DIGIT, 0},
        {"0x1G", HEX_ERR_DIGIT, 0},
        {"0x1 ", HEX_ERR_DIGIT, 0},     // no trailing blank
        {"0x1h", HEX_ERR_DIGIT, 0},     // no suffix
        {"0x-1", HEX_ERR_DIGIT, 0},
        {"0x0x1", HEX_ERR_DIGIT, 0},
        {"", HEX_ERR_PREFIX, 0},        // a missing token reads as empty text
        {"0", HEX_ERR_PREFIX, 0},
        {"12", HEX_ERR_PREFIX, 0},      // decimal
        {"1x", HEX_ERR_PREFIX, 0},      // prefix is tested before the length
        {"x12", HEX_ERR_PREFIX, 0},
        {"00x1", HEX_ERR_PREFIX, 0},
        {"+0x1", HEX_ERR_PREFIX, 0},
        {"-0x1", HEX_ERR_PREFIX, 0},
        {" 0x1", HEX_ERR_PREFIX, 0},    // no leading blank
        {"0y12", HEX_ERR_PREFIX, 0},
        {"0x12=0x34", HEX_ERR_DIGIT, 0},
    };
    for (const HexCase& c : cases) {
        SCOPED_TRACE(std::string("text \"") + c.text + "\"");
        std::uint32_t value = 0xA5A5A5A5;
        EXPECT_EQ(parse_hex_number(c.text, &value), c.result);
        // On failure the out value is left alone.
        EXPECT_EQ(value, c.result == 0 ? c.value : 0xA5A5A5A5u);
    }
}

}  // namespace
