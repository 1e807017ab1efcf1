// The only crossing between the window's UTF-16 text and 8-bit UTF-8 text.
//
// Ill-formed input never stops a conversion: a UTF-8 byte sequence that is
// not well formed becomes U+FFFD (one per maximal ill-formed part), and so
// does a UTF-16 surrogate without its partner.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Converts the zero-terminated text. Returns the number of UTF-8 bytes
// without terminator; with a destination (room for that count + 1 bytes)
// also writes them followed by one zero byte.
int utf16_to_utf8(const char16_t* text, char* destination);
// Converts the zero-terminated text into destination, followed by one zero
// code unit. Room needed: the text's byte count + 1 code units at most.
void utf8_to_utf16(const char* text, char16_t* destination);

// The same on whole strings (embedded zeros are converted like any other
// character).
std::string utf16_to_utf8(std::u16string_view text);
std::u16string utf8_to_utf16(std::string_view text);

// Decodes UTF-8 from bytes[0..length) onto out. When final is false, a
// well-formed but unfinished sequence at the very end is left undecoded.
// Returns the number of bytes consumed.
std::size_t utf8_decode_append(const unsigned char* bytes, std::size_t length,
                               std::u16string& out, bool final);
