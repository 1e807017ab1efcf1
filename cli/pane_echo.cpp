#include "cli/pane_echo.h"

#include <cstdio>

#include "ui/text_convert.h"

std::string PaneEcho::feed(std::u16string_view text) {
    std::u16string out;
    for (char16_t c : text) {
        if (pending_cr_) {
            pending_cr_ = false;
            if (c == u'\n') {
                out += u'\n';
                continue;
            }
            out += u"^M";
        }
        if (c == u'\r') {
            pending_cr_ = true;
        } else if (c == u'\n' || c == u'\t') {
            out += c;
        } else if (c < 0x20 || c == 0x7F) {
            out += u'^';
            out += static_cast<char16_t>(c == 0x7F ? u'?' : c + 0x40);
        } else if (c >= 0x80 && c < 0xA0) {
            char buf[16];
            std::snprintf(buf, sizeof buf, "<U+%04X>", static_cast<unsigned>(c));
            for (const char* p = buf; *p; ++p) out += static_cast<char16_t>(*p);
        } else {
            out += c;
        }
    }
    return utf16_to_utf8(std::u16string_view(out));
}

std::string PaneEcho::finish() {
    const bool cr = pending_cr_;
    pending_cr_ = false;
    return cr ? "^M" : "";
}
