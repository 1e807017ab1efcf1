// Device paths cross the HidBackend seam as UTF-8; Windows wants UTF-16.
#pragma once

#include <string>

std::string win_path_to_utf8(const wchar_t* path);
std::wstring win_path_from_utf8(const std::string& path);
