#include "ui/win32/win32_startup.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <objbase.h>
#include <commctrl.h>

#include <vector>

#include "ui/win32/win32_text.h"

std::u16string win32_app_name_from_path(const std::u16string& module_path) {
    const std::size_t slash = module_path.find_last_of(u"\\/:");
    std::u16string name = slash == std::u16string::npos ? module_path : module_path.substr(slash + 1);
    const std::size_t dot = name.rfind(u'.');
    if (dot != std::u16string::npos && dot > 0) name.resize(dot);
    return name;
}

std::u16string win32_app_name() {
    std::vector<wchar_t> path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return u"Orvane";
        if (n < path.size()) return win32_app_name_from_path(win32_u16(std::wstring_view(path.data(), n)));
        if (path.size() >= 32768) return u"Orvane";
        path.resize(path.size() * 2);
    }
}

bool win32_init_common_controls() {
    INITCOMMONCONTROLSEX icc{};
    icc.dwSize = sizeof icc;  // 8
    icc.dwICC = ICC_WIN95_CLASSES;
    return InitCommonControlsEx(&icc) != FALSE;
}

std::u16string win32_command_arguments(const std::u16string& command_line) {
    std::size_t i = 0;
    if (i < command_line.size() && command_line[i] == u'"') {
        const std::size_t close = command_line.find(u'"', 1);
        i = close == std::u16string::npos ? command_line.size() : close + 1;
    } else {
        while (i < command_line.size() && command_line[i] != u' ' && command_line[i] != u'\t') ++i;
    }
    while (i < command_line.size() && (command_line[i] == u' ' || command_line[i] == u'\t')) ++i;
    return command_line.substr(i);
}

std::u16string win32_restart_command_line(const std::u16string& own_arguments, const std::u16string& guid) {
    return own_arguments + u" /RestartByRestartManager:" + guid;
}

bool win32_register_restart() {
    GUID guid;
    if (FAILED(CoCreateGuid(&guid))) return false;
    wchar_t text[64] = {};
    if (StringFromGUID2(guid, text, 64) <= 0) return false;
    const std::u16string line =
        win32_restart_command_line(win32_command_arguments(win32_u16(GetCommandLineW())), win32_u16(text));
    return SUCCEEDED(RegisterApplicationRestart(win32_wide(line).c_str(), 0));
}
