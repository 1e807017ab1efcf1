#include "usb/windows/win_text.h"

#include <windows.h>

std::string win_path_to_utf8(const wchar_t* path) {
    std::string out;
    if (path == nullptr || *path == L'\0') return out;
    const int n = WideCharToMultiByte(CP_UTF8, 0, path, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 1) return out;
    out.resize(static_cast<std::size_t>(n));
    WideCharToMultiByte(CP_UTF8, 0, path, -1, out.data(), n, nullptr, nullptr);
    out.resize(static_cast<std::size_t>(n - 1));
    return out;
}

std::wstring win_path_from_utf8(const std::string& path) {
    std::wstring out;
    if (path.empty()) return out;
    const int n = MultiByteToWideChar(CP_UTF8, 0, path.data(), static_cast<int>(path.size()), nullptr, 0);
    if (n <= 0) return out;
    out.resize(static_cast<std::size_t>(n));
    MultiByteToWideChar(CP_UTF8, 0, path.data(), static_cast<int>(path.size()), out.data(), n);
    return out;
}
