// The window's UTF-16 text as the Win32 wide-character functions take it:
// wchar_t is 16 bits on Windows, so the code units are copied unchanged.
#pragma once

#include <string>
#include <string_view>

inline std::wstring win32_wide(std::u16string_view text) {
    return std::wstring(text.begin(), text.end());
}

inline std::u16string win32_u16(std::wstring_view text) {
    return std::u16string(text.begin(), text.end());
}
