// Window-message, notification and command values the dialog layer uses.
// They carry the values the native window systems use, under names of our
// own, so that a host may include its platform headers next to this one.
#pragma once

#include <cstdint>

// Messages.
constexpr unsigned DLG_WM_PAINT = 0x000F;
constexpr unsigned DLG_WM_QUERYDRAGICON = 0x0037;
constexpr unsigned DLG_WM_COMMAND = 0x0111;
constexpr unsigned DLG_WM_SYSCOMMAND = 0x0112;
constexpr unsigned DLG_WM_USER = 0x0400;

// A status code of the test firmware; first parameter the code, second 0.
// Posted by the receive loop.
constexpr unsigned WM_TARGET_STATUS = DLG_WM_USER + 1;
// Takes text appended on another thread into the output pane. Posted by
// AppendOutput; no parameters.
constexpr unsigned WM_OUTPUT_FLUSH = DLG_WM_USER + 2;

// Notification codes carried with DLG_WM_COMMAND.
constexpr unsigned DLG_BN_CLICKED = 0;
constexpr unsigned DLG_CBN_SELCHANGE = 1;

// Command ids of the dialog's own buttons and keys.
constexpr int DLG_IDOK = 1;      // Enter
constexpr int DLG_IDCANCEL = 2;  // Esc, the close box, Alt+F4

// System commands (first parameter of DLG_WM_SYSCOMMAND, low four bits free).
constexpr unsigned DLG_SC_CLOSE = 0xF060;
// The "About" item appended to the system menu.
constexpr unsigned IDM_ABOUTBOX = 0x0010;

// Check-box states.
constexpr int DLG_BST_UNCHECKED = 0;
constexpr int DLG_BST_CHECKED = 1;

// DLG_WM_COMMAND's first parameter: control id in the low word, notification
// code in the high word.
constexpr std::uintptr_t dlg_command_wparam(int id, unsigned code) {
    return (static_cast<std::uintptr_t>(code & 0xFFFFu) << 16) |
           (static_cast<std::uintptr_t>(id) & 0xFFFFu);
}
