// The two window templates as portable data: the main window (template 102)
// and the About box (template 100), every control in creation order (which
// is also tab order and drawing order), with id, kind, caption, position and
// size in dialog units, and styles. The GUI hosts lay out from it; the
// resource script is checked against it.
#pragma once

#include <cstdint>
#include <span>

#include "ui/resource.h"

enum class ControlKind { drop_down_list, label, push_button, edit, check_box, group_box, icon };

// Control styles (our own bits; each names the native style of that name).
// Every control is also a visible child window.
constexpr std::uint32_t CTL_VSCROLL = 1u << 0;        // WS_VSCROLL
constexpr std::uint32_t CTL_HSCROLL = 1u << 1;        // WS_HSCROLL
constexpr std::uint32_t CTL_TABSTOP = 1u << 2;        // WS_TABSTOP
constexpr std::uint32_t CTL_GROUP = 1u << 3;          // WS_GROUP
constexpr std::uint32_t CTL_BORDER = 1u << 4;         // WS_BORDER
constexpr std::uint32_t CTL_DROPDOWNLIST = 1u << 5;   // CBS_DROPDOWNLIST
constexpr std::uint32_t CTL_LEFT = 1u << 6;           // SS_LEFT
constexpr std::uint32_t CTL_NOPREFIX = 1u << 7;       // SS_NOPREFIX
constexpr std::uint32_t CTL_ICON = 1u << 8;           // SS_ICON
constexpr std::uint32_t CTL_PUSHBUTTON = 1u << 9;     // BS_PUSHBUTTON
constexpr std::uint32_t CTL_DEFPUSHBUTTON = 1u << 10; // BS_DEFPUSHBUTTON
constexpr std::uint32_t CTL_AUTOCHECKBOX = 1u << 11;  // BS_AUTOCHECKBOX
constexpr std::uint32_t CTL_GROUPBOX = 1u << 12;      // BS_GROUPBOX
constexpr std::uint32_t CTL_AUTOHSCROLL = 1u << 13;   // ES_AUTOHSCROLL
constexpr std::uint32_t CTL_AUTOVSCROLL = 1u << 14;   // ES_AUTOVSCROLL
constexpr std::uint32_t CTL_MULTILINE = 1u << 15;     // ES_MULTILINE
constexpr std::uint32_t CTL_WANTRETURN = 1u << 16;    // ES_WANTRETURN
constexpr std::uint32_t CTL_READONLY = 1u << 17;      // ES_READONLY
// Extended style.
constexpr std::uint32_t CTL_EX_CLIENTEDGE = 1u << 0;  // WS_EX_CLIENTEDGE

// Frame styles of a template.
constexpr std::uint32_t FRAME_POPUP = 1u << 0;        // WS_POPUP
constexpr std::uint32_t FRAME_VISIBLE = 1u << 1;      // WS_VISIBLE
constexpr std::uint32_t FRAME_CAPTION = 1u << 2;      // WS_CAPTION
constexpr std::uint32_t FRAME_SYSMENU = 1u << 3;      // WS_SYSMENU
constexpr std::uint32_t FRAME_THICKFRAME = 1u << 4;   // WS_THICKFRAME
constexpr std::uint32_t FRAME_MODALFRAME = 1u << 5;   // DS_MODALFRAME
constexpr std::uint32_t FRAME_SETFONT = 1u << 6;      // DS_SETFONT
constexpr std::uint32_t FRAME_FIXEDSYS = 1u << 7;     // DS_FIXEDSYS
constexpr std::uint32_t FRAME_EX_APPWINDOW = 1u << 0; // WS_EX_APPWINDOW

struct ControlEntry {
    int id;  // IDC_NO_ID for labels, group boxes and the About box's icon and text
    ControlKind kind;
    const char16_t* caption;  // empty when the control has none
    int x, y, cx, cy;         // dialog units
    std::uint32_t styles;
    std::uint32_t ex_styles;
    int icon_resource;  // the icon a ControlKind::icon shows, else 0
};

struct DialogTemplate {
    int id;
    const char16_t* caption;
    int cx, cy;  // client area, dialog units
    const char16_t* font_face;
    int font_points;
    int font_weight;
    std::uint32_t frame_styles;
    std::uint32_t frame_ex_styles;
    bool has_default_button;
    std::span<const ControlEntry> controls;
};

// The application's name: the caption of every message box without its own.
constexpr const char16_t* APP_NAME = u"Orvane";
// String 101: the system-menu item of the About box.
constexpr const char16_t* ABOUT_MENU_TEXT = u"&About Orvane...";

const DialogTemplate& main_window_template();  // template 102, 52 controls
const DialogTemplate& about_box_template();    // template 100, 3 controls
// The control of the given id on the template, or nullptr.
const ControlEntry* find_control(const DialogTemplate& tmpl, int id);
// The string resource of that id ("" when there is none).
const char16_t* load_string(int id);
