// The script number syntax on a text of known length, for the readers: a
// zero byte inside the text is an ordinary (invalid) character there.
#pragma once

#include <cstdint>
#include <string_view>

// Same rules and results as parse_hex_number.
int parse_hex_text(std::string_view text, std::uint32_t* value);
