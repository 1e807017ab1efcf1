// The resources linked into this program are those of Orvane.exe
// (ui/res/Orvane.rc). Template 102 and 100 are read back from the binary
// resource, as the dialog manager reads them, and compared control by
// control with the portable control table; then string 101, the icon group,
// the version record and the manifest.
#include <gtest/gtest.h>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstring>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "ui/control_table.h"
#include "ui/resource.h"

namespace {

// A name or an ordinal of a template (sz_Or_Ord).
struct NameOrOrdinal {
    bool is_ordinal = false;
    unsigned ordinal = 0;
    std::u16string name;
};

class TemplateReader {
public:
    TemplateReader(const std::uint8_t* data, std::size_t size) : p_(data), end_(data + size) {}
    bool ok() const { return ok_; }
    std::uint16_t word() {
        std::uint16_t v = 0;
        take(&v, 2);
        return v;
    }
    std::uint32_t dword() {
        std::uint32_t v = 0;
        take(&v, 4);
        return v;
    }
    std::int16_t coord() { return static_cast<std::int16_t>(word()); }
    std::u16string string() {
        std::u16string s;
        for (std::uint16_t c = word(); ok_ && c != 0; c = word()) s += static_cast<char16_t>(c);
        return s;
    }
    NameOrOrdinal name_or_ordinal() {
        NameOrOrdinal n;
        const std::uint16_t first = word();
        if (first == 0xFFFF) {
            n.is_ordinal = true;
            n.ordinal = word();
        } else if (first != 0) {
            n.name += static_cast<char16_t>(first);
            n.name += string();
        }
        return n;
    }
    void skip(std::size_t bytes) {
        if (static_cast<std::size_t>(end_ - p_) < bytes) ok_ = false;
        else p_ += bytes;
    }
    void align4(const std::uint8_t* base) {
        while (ok_ && (p_ - base) % 4) skip(1);
    }
    const std::uint8_t* at() const { return p_; }

private:
    void take(void* out, std::size_t n) {
        if (static_cast<std::size_t>(end_ - p_) < n) {
            ok_ = false;
            return;
        }
        std::memcpy(out, p_, n);
        p_ += n;
    }
    const std::uint8_t* p_;
    const std::uint8_t* end_;
    bool ok_ = true;
};

struct ItemRecord {
    std::uint32_t ex_style, style;
    int x, y, cx, cy;
    std::int32_t id;
    std::u16string class_name;  // lower case
    NameOrOrdinal title;
};

struct TemplateRecord {
    std::uint32_t ex_style, style;
    int x, y, cx, cy;
    NameOrOrdinal menu, window_class;
    std::u16string title;
    int points, weight;
    std::u16string face;
    std::vector<ItemRecord> items;
};

std::u16string lower(std::u16string s) {
    for (char16_t& c : s)
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    return s;
}

std::u16string class_of(const NameOrOrdinal& n) {
    if (!n.is_ordinal) return lower(n.name);
    switch (n.ordinal) {
    case 0x0080: return u"button";
    case 0x0081: return u"edit";
    case 0x0082: return u"static";
    case 0x0083: return u"listbox";
    case 0x0084: return u"scrollbar";
    case 0x0085: return u"combobox";
    default: return u"?";
    }
}

std::span<const std::uint8_t> resource(LPCWSTR name, LPCWSTR type) {
    HMODULE self = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(self, name, type);
    if (!found) return {};
    HGLOBAL loaded = LoadResource(self, found);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data) return {};
    return {static_cast<const std::uint8_t*>(data), SizeofResource(self, found)};
}

bool read_template(int id, TemplateRecord& t) {
    const auto bytes = resource(MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(5) /* RT_DIALOG */);
    if (bytes.empty()) return false;
    TemplateReader r(bytes.data(), bytes.size());
    if (r.word() != 1 || r.word() != 0xFFFF) return false;  // DLGTEMPLATEEX only
    r.dword();                                                  // help id
    t.ex_style = r.dword();
    t.style = r.dword();
    const int count = r.word();
    t.x = r.coord();
    t.y = r.coord();
    t.cx = r.coord();
    t.cy = r.coord();
    t.menu = r.name_or_ordinal();
    t.window_class = r.name_or_ordinal();
    t.title = r.string();
    if (t.style & (DS_SETFONT | DS_SHELLFONT)) {
        t.points = r.word();
        t.weight = r.word();
        r.skip(2);  // italic, charset
        t.face = r.string();
    }
    for (int i = 0; i < count && r.ok(); ++i) {
        r.align4(bytes.data());
        ItemRecord item;
        r.dword();  // help id
        item.ex_style = r.dword();
        item.style = r.dword();
        item.x = r.coord();
        item.y = r.coord();
        item.cx = r.coord();
        item.cy = r.coord();
        item.id = static_cast<std::int32_t>(r.dword());
        item.class_name = class_of(r.name_or_ordinal());
        item.title = r.name_or_ordinal();
        r.skip(r.word());  // creation data
        t.items.push_back(item);
    }
    return r.ok();
}

// The native styles a row of the control table stands for.
std::uint32_t native_style(std::uint32_t s) {
    struct Bit {
        std::uint32_t ours;
        std::uint32_t native;
    };
    static const Bit kBits[] = {
        {CTL_VSCROLL, WS_VSCROLL},           {CTL_HSCROLL, WS_HSCROLL},
        {CTL_TABSTOP, WS_TABSTOP},           {CTL_GROUP, WS_GROUP},
        {CTL_BORDER, WS_BORDER},             {CTL_DROPDOWNLIST, CBS_DROPDOWNLIST},
        {CTL_LEFT, SS_LEFT},                 {CTL_NOPREFIX, SS_NOPREFIX},
        {CTL_ICON, SS_ICON},                 {CTL_PUSHBUTTON, BS_PUSHBUTTON},
        {CTL_DEFPUSHBUTTON, BS_DEFPUSHBUTTON}, {CTL_AUTOCHECKBOX, BS_AUTOCHECKBOX},
        {CTL_GROUPBOX, BS_GROUPBOX},         {CTL_AUTOHSCROLL, ES_AUTOHSCROLL},
        {CTL_AUTOVSCROLL, ES_AUTOVSCROLL},   {CTL_MULTILINE, ES_MULTILINE},
        {CTL_WANTRETURN, ES_WANTRETURN},     {CTL_READONLY, ES_READONLY},
    };
    std::uint32_t native = WS_CHILD | WS_VISIBLE;
    for (const Bit& b : kBits)
        if (s & b.ours) native |= b.native;
    return native;
}

std::uint32_t native_frame(std::uint32_t f) {
    std::uint32_t native = 0;
    if (f & FRAME_POPUP) native |= WS_POPUP;
    if (f & FRAME_VISIBLE) native |= WS_VISIBLE;
    if (f & FRAME_CAPTION) native |= WS_CAPTION;
    if (f & FRAME_SYSMENU) native |= WS_SYSMENU;
    if (f & FRAME_THICKFRAME) native |= WS_THICKFRAME;
    if (f & FRAME_MODALFRAME) native |= DS_MODALFRAME;
    if (f & FRAME_SETFONT) native |= DS_SETFONT;
    if (f & FRAME_FIXEDSYS) native |= DS_FIXEDSYS;
    return native;
}

const char16_t* class_for(ControlKind kind) {
    switch (kind) {
    case ControlKind::drop_down_list: return u"combobox";
    case ControlKind::label:
    case ControlKind::icon: return u"static";
    case ControlKind::edit: return u"edit";
    case ControlKind::push_button:
    case ControlKind::check_box:
    case ControlKind::group_box: return u"button";
    }
    return u"?";
}

std::string narrow(const std::u16string& s) {
    std::string out;
    for (char16_t c : s) out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

void expect_template_matches(const DialogTemplate& table) {
    TemplateRecord t;
    ASSERT_TRUE(read_template(table.id, t)) << "template " << table.id;
    EXPECT_EQ(t.style, native_frame(table.frame_styles));
    EXPECT_EQ(t.ex_style, table.frame_ex_styles & FRAME_EX_APPWINDOW ? WS_EX_APPWINDOW : 0u);
    // Position 0, 0: the window is centred when it opens.
    EXPECT_EQ(std::tie(t.x, t.y, t.cx, t.cy), std::make_tuple(0, 0, table.cx, table.cy));
    EXPECT_FALSE(t.menu.is_ordinal || !t.menu.name.empty()) << "no menu bar";
    EXPECT_EQ(narrow(t.title), narrow(table.caption));
    EXPECT_EQ(t.points, table.font_points);
    EXPECT_EQ(t.weight, table.font_weight);
    EXPECT_EQ(narrow(t.face), narrow(table.font_face));

    ASSERT_EQ(t.items.size(), table.controls.size());
    bool any_default = false;
    for (std::size_t i = 0; i < table.controls.size(); ++i) {
        const ControlEntry& want = table.controls[i];
        const ItemRecord& got = t.items[i];
        SCOPED_TRACE("control #" + std::to_string(i + 1) + " \"" + narrow(want.caption) + "\" id " +
                     std::to_string(want.id));
        EXPECT_EQ(got.id, want.id);
        EXPECT_EQ(narrow(got.class_name), narrow(class_for(want.kind)));
        if (want.kind == ControlKind::icon) {
            EXPECT_TRUE(got.title.is_ordinal);
            EXPECT_EQ(static_cast<int>(got.title.ordinal), want.icon_resource);
        } else {
            EXPECT_FALSE(got.title.is_ordinal);
            EXPECT_EQ(narrow(got.title.name), narrow(want.caption));
        }
        EXPECT_EQ(std::tie(got.x, got.y, got.cx, got.cy), std::tie(want.x, want.y, want.cx, want.cy));
        EXPECT_EQ(got.style, native_style(want.styles)) << std::hex << got.style;
        EXPECT_EQ(got.ex_style, want.ex_styles & CTL_EX_CLIENTEDGE ? WS_EX_CLIENTEDGE : 0u);
        any_default = any_default ||
                      (got.class_name == u"button" && (got.style & 0x0F) == BS_DEFPUSHBUTTON);
    }
    EXPECT_EQ(any_default, table.has_default_button);
}

TEST(Resources, MainWindowTemplateAgreesWithTheControlTable) {
    expect_template_matches(main_window_template());
}

TEST(Resources, AboutBoxTemplateAgreesWithTheControlTable) {
    expect_template_matches(about_box_template());
}

TEST(Resources, SystemMenuTextIsString101) {
    wchar_t text[64] = {};
    ASSERT_GT(LoadStringW(GetModuleHandleW(nullptr), IDS_ABOUTBOX, text, 64), 0);
    EXPECT_EQ(std::u16string(text, text + wcslen(text)), std::u16string(ABOUT_MENU_TEXT));
    EXPECT_EQ(std::u16string(load_string(IDS_ABOUTBOX)), u"&About Orvane...");
}

#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bit_count;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

TEST(Resources, IconGroupHasThirteenImages) {
    const auto group = resource(MAKEINTRESOURCEW(IDR_MAINFRAME), MAKEINTRESOURCEW(14) /* RT_GROUP_ICON */);
    ASSERT_GE(group.size(), 6u);
    WORD count = 0;
    std::memcpy(&count, group.data() + 4, 2);
    ASSERT_EQ(count, 13);
    ASSERT_GE(group.size(), 6u + count * sizeof(GroupIconEntry));
    std::set<std::pair<int, int>> seen;  // (edge, bits)
    for (int i = 0; i < count; ++i) {
        GroupIconEntry e;
        std::memcpy(&e, group.data() + 6 + i * sizeof e, sizeof e);
        const int edge = e.width == 0 ? 256 : e.width;
        EXPECT_EQ(e.width, e.height);
        seen.insert({edge, e.bit_count});
        const auto image = resource(MAKEINTRESOURCEW(e.id), MAKEINTRESOURCEW(3) /* RT_ICON */);
        ASSERT_EQ(image.size(), e.bytes);
        if (edge == 256) {
            ASSERT_GE(image.size(), 8u);
            EXPECT_EQ(std::memcmp(image.data(), "\x89PNG\r\n\x1a\n", 8), 0) << "the 256 px image is PNG";
        } else {
            BITMAPINFOHEADER h;
            ASSERT_GE(image.size(), sizeof h);
            std::memcpy(&h, image.data(), sizeof h);
            EXPECT_EQ(h.biWidth, edge);
            EXPECT_EQ(h.biHeight, 2 * edge);
            EXPECT_EQ(h.biBitCount, e.bit_count);
        }
    }
    std::set<std::pair<int, int>> want = {{256, 32}};
    for (int edge : {48, 32, 24, 16})
        for (int bits : {4, 8, 32}) want.insert({edge, bits});
    EXPECT_EQ(seen, want);
    // The system loads it at the standard icon size.
    EXPECT_NE(LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME)), nullptr);
}

std::u16string version_string(const std::vector<std::uint8_t>& info, const char16_t* key) {
    std::wstring path = L"\\StringFileInfo\\040904b0\\";
    for (const char16_t* p = key; *p; ++p) path += static_cast<wchar_t>(*p);
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(info.data(), path.c_str(), &value, &length) || !value) return u"<missing>";
    const wchar_t* w = static_cast<const wchar_t*>(value);
    return std::u16string(w, w + wcslen(w));
}

TEST(Resources, VersionRecord) {
    wchar_t self[MAX_PATH] = {};
    ASSERT_GT(GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(self, &ignored);
    ASSERT_GT(size, 0u);
    std::vector<std::uint8_t> info(size);
    ASSERT_TRUE(GetFileVersionInfoW(self, 0, size, info.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    ASSERT_NE(fixed, nullptr);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00020002u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00020002u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0u);
    EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS_NT_WINDOWS32));
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
    EXPECT_EQ(fixed->dwFileFlags & fixed->dwFileFlagsMask, 0u);

    const std::pair<const char16_t*, const char16_t*> kValues[] = {
        {u"CompanyName", u"Brenlow"},          {u"FileDescription", u"Orvane"},
        {u"FileVersion", u"2.2.0.0"},          {u"InternalName", u"Orvane.exe"},
        {u"OriginalFilename", u"Orvane.exe"},  {u"ProductName", u"Brenlow Orvane"},
        {u"ProductVersion", u"2.2.0.0"},
    };
    for (const auto& [key, value] : kValues) EXPECT_EQ(narrow(version_string(info, key)), narrow(value)) << narrow(key);

    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                               &length));
    ASSERT_GE(length, 4u);
    EXPECT_EQ(translation[0], 0x0409);
    EXPECT_EQ(translation[1], 1200);
}

TEST(Resources, ManifestAsksForCommonControls6AsInvokerAndDpiAwareness) {
    const auto bytes = resource(MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24) /* RT_MANIFEST */);
    ASSERT_FALSE(bytes.empty());
    const std::string xml(bytes.begin(), bytes.end());
    for (const char* needle :
         {"name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"", "publicKeyToken=\"6595b64144ccf1df\"",
          "level=\"asInvoker\"", "uiAccess=\"false\"", "<dpiAware", ">true</dpiAware>"}) {
        EXPECT_NE(xml.find(needle), std::string::npos) << needle;
    }
}

}  // namespace
