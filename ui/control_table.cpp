#include "ui/control_table.h"

namespace {

using K = ControlKind;
constexpr int N = IDC_NO_ID;
constexpr std::uint32_t LIST = CTL_VSCROLL | CTL_TABSTOP | CTL_DROPDOWNLIST;
constexpr std::uint32_t LABEL = CTL_GROUP | CTL_LEFT;
constexpr std::uint32_t BUTTON = CTL_TABSTOP | CTL_PUSHBUTTON;
constexpr std::uint32_t FIELD = CTL_BORDER | CTL_TABSTOP | CTL_AUTOHSCROLL;
constexpr std::uint32_t CHECK = CTL_TABSTOP | CTL_AUTOCHECKBOX;

constexpr ControlEntry kMainControls[] = {
    {IDC_TARGET, K::drop_down_list, u"", 41, 29, 54, 30, LIST, 0, 0},
    {N, K::label, u"TARGET", 12, 31, 27, 8, LABEL, 0, 0},
    {N, K::label, u"DDR Density", 13, 47, 41, 8, LABEL, 0, 0},
    {IDC_DDR_DENSITY, K::drop_down_list, u"", 55, 44, 40, 30, LIST, 0, 0},
    {N, K::label, u"ARM Speed", 121, 31, 38, 8, LABEL, 0, 0},
    {IDC_ARM_SPEED, K::drop_down_list, u"", 162, 29, 42, 30, LIST, 0, 0},
    {IDC_LOAD_SCRIPT, K::push_button, u"Load Init Script", 11, 6, 59, 18, BUTTON, 0, 0},
    {IDC_SCRIPT_PATH, K::edit, u"", 73, 8, 222, 14, FIELD, 0, 0},
    {IDC_OUTPUT, K::edit, u"", 5, 179, 354, 138,
     CTL_BORDER | CTL_VSCROLL | CTL_HSCROLL | CTL_TABSTOP | CTL_MULTILINE | CTL_AUTOVSCROLL |
         CTL_AUTOHSCROLL | CTL_WANTRETURN,
     CTL_EX_CLIENTEDGE, 0},
    {N, K::label, u"DDR Freq(MHz)", 13, 133, 50, 8, LABEL, 0, 0},
    {IDC_DDR_FREQ, K::edit, u"", 66, 131, 40, 15, FIELD, 0, 0},
    {IDC_CALIBRATION, K::push_button, u"Calibration", 17, 153, 41, 16, BUTTON, 0, 0},
    {IDC_SAVE_CALIBRATION, K::push_button, u"Save Result", 65, 153, 41, 16, BUTTON, 0, 0},
    {N, K::group_box, u"DDR Calibration", 8, 93, 107, 79, CTL_GROUPBOX, 0, 0},
    {IDC_STRESS_TEST, K::push_button, u"Stress Test", 134, 153, 41, 16, BUTTON, 0, 0},
    {N, K::label, u"Start Freq(MHz)", 134, 119, 52, 8, LABEL, 0, 0},
    {IDC_START_FREQ, K::edit, u"", 182, 116, 40, 15, FIELD, 0, 0},
    {N, K::label, u"End Freq(MHz)", 134, 137, 48, 8, LABEL, 0, 0},
    {IDC_END_FREQ, K::edit, u"", 182, 135, 40, 15, FIELD, 0, 0},
    {N, K::group_box, u"DDR Stess Test", 125, 93, 107, 79, CTL_GROUPBOX, 0, 0},
    {IDC_SAVE_STRESS, K::push_button, u"Save Result", 181, 153, 41, 16, BUTTON, 0, 0},
    {IDC_DOWNLOAD, K::push_button, u"Download", 301, 7, 50, 46, BUTTON, 0, 0},
    {N, K::label, u"DDR CS", 121, 48, 26, 8, LABEL, 0, 0},
    {IDC_DDR_CS, K::drop_down_list, u"", 162, 45, 42, 30, LIST, 0, 0},
    {N, K::label, u"DDR channel", 222, 46, 42, 8, LABEL, 0, 0},
    {IDC_DDR_CHANNEL, K::drop_down_list, u"", 268, 44, 25, 30, LIST, 0, 0},
    {IDC_VERIFY_DCD, K::check_box, u"Verify DCD Address", 223, 31, 69, 10, CHECK, 0, 0},
    {IDC_OVER_NIGHT, K::check_box, u"Over Night Test", 133, 105, 63, 10, CHECK, 0, 0},
    {N, K::label, u"VDD_ARM_CAP", 13, 75, 50, 8, LABEL, 0, 0},
    {IDC_VDD_ARM_MODE, K::drop_down_list, u"", 66, 72, 29, 30, LIST, 0, 0},
    {N, K::label, u"VDD_SOC_CAP", 163, 75, 50, 8, LABEL, 0, 0},
    {IDC_VDD_SOC_MODE, K::drop_down_list, u"", 213, 72, 29, 30, LIST, 0, 0},
    {IDC_VDD_ARM_DOWN, K::push_button, u"-", 97, 71, 15, 14, BUTTON, 0, 0},
    {IDC_VDD_ARM, K::edit, u"", 111, 71, 22, 15, FIELD | CTL_READONLY, 0, 0},
    {IDC_VDD_ARM_UP, K::push_button, u"+", 132, 71, 15, 14, BUTTON, 0, 0},
    {IDC_VDD_SOC_DOWN, K::push_button, u"-", 244, 71, 15, 14, BUTTON, 0, 0},
    {IDC_VDD_SOC, K::edit, u"", 258, 71, 22, 15, FIELD | CTL_READONLY, 0, 0},
    {IDC_VDD_SOC_UP, K::push_button, u"+", 279, 71, 15, 14, BUTTON, 0, 0},
    {N, K::group_box, u"", 9, 61, 340, 27, CTL_GROUPBOX, 0, 0},
    {N, K::group_box, u"", 10, 23, 286, 37, CTL_GROUPBOX, 0, 0},
    {N, K::label, u"MR1 Value(HEX)", 13, 114, 53, 8, LABEL, 0, 0},
    {IDC_MR1, K::edit, u"", 66, 111, 40, 15, FIELD, 0, 0},
    {N, K::label, u"ADDR(HEX)", 246, 117, 57, 11, LABEL, 0, 0},
    {IDC_ADDR, K::edit, u"", 292, 114, 46, 13, FIELD, 0, 0},
    {N, K::label, u"SIZE", 246, 138, 16, 8, LABEL, 0, 0},
    {IDC_READ_SIZE, K::drop_down_list, u"", 272, 135, 44, 30, LIST, 0, 0},
    {N, K::label, u"DATA(HEX)", 246, 159, 37, 8, LABEL, 0, 0},
    {IDC_DATA, K::edit, u"", 284, 155, 33, 13, FIELD, 0, 0},
    {IDC_READ, K::push_button, u"Read", 316, 132, 25, 16, BUTTON, 0, 0},
    {IDC_WRITE, K::push_button, u"Write", 316, 153, 25, 16, BUTTON, 0, 0},
    {N, K::group_box, u"32bit Memory Read/Write", 241, 93, 107, 79, CTL_GROUPBOX, 0, 0},
    {IDC_SET_VOLTAGE, K::push_button, u"Set Voltage", 302, 67, 41, 19, BUTTON, 0, 0},
};
static_assert(sizeof(kMainControls) / sizeof(kMainControls[0]) == 52);

constexpr ControlEntry kAboutControls[] = {
    {N, K::icon, u"", 14, 14, 20, 20, CTL_ICON, 0, IDR_MAINFRAME},
    {N, K::label, u"Orvane, Version2.2.0", 42, 14, 114, 8, CTL_GROUP | CTL_LEFT | CTL_NOPREFIX, 0,
     0},
    {DLG_IDOK_CONTROL, K::push_button, u"OK", 113, 41, 50, 14,
     CTL_GROUP | CTL_TABSTOP | CTL_DEFPUSHBUTTON, 0, 0},
};

const DialogTemplate kMainWindow = {
    IDD_ORVANE_DIALOG,
    u"Brenlow DDR Test Tool",
    365,
    319,
    u"Microsoft Sans Serif",
    10,
    400,
    FRAME_POPUP | FRAME_VISIBLE | FRAME_CAPTION | FRAME_SYSMENU | FRAME_THICKFRAME | FRAME_SETFONT,
    FRAME_EX_APPWINDOW,
    false,
    kMainControls,
};

const DialogTemplate kAboutBox = {
    IDD_ABOUTBOX,
    u"About Brenlow Orvane",
    170,
    62,
    u"MS Shell Dlg",
    8,
    400,
    FRAME_POPUP | FRAME_CAPTION | FRAME_SYSMENU | FRAME_MODALFRAME | FRAME_SETFONT | FRAME_FIXEDSYS,
    0,
    true,
    kAboutControls,
};

}  // namespace

const DialogTemplate& main_window_template() { return kMainWindow; }
const DialogTemplate& about_box_template() { return kAboutBox; }

const ControlEntry* find_control(const DialogTemplate& tmpl, int id) {
    if (id == IDC_NO_ID) return nullptr;
    for (const ControlEntry& c : tmpl.controls)
        if (c.id == id) return &c;
    return nullptr;
}

const char16_t* load_string(int id) { return id == IDS_ABOUTBOX ? ABOUT_MENU_TEXT : u""; }
