#include "ui/text_convert.h"

#include <cstring>

namespace {

constexpr char16_t REPLACEMENT = 0xFFFD;

void put_utf8(char32_t cp, std::string& out) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

void put_utf16(char32_t cp, std::u16string& out) {
    if (cp < 0x10000) {
        out.push_back(static_cast<char16_t>(cp));
    } else {
        cp -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    }
}

// Length of the sequence a lead byte starts (0: not a lead byte) and the
// allowed range of its second byte.
int sequence_length(unsigned char lead, unsigned char& lo, unsigned char& hi) {
    lo = 0x80;
    hi = 0xBF;
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead == 0xE0) { lo = 0xA0; return 3; }
    if (lead >= 0xE1 && lead <= 0xEC) return 3;
    if (lead == 0xED) { hi = 0x9F; return 3; }
    if (lead >= 0xEE && lead <= 0xEF) return 3;
    if (lead == 0xF0) { lo = 0x90; return 4; }
    if (lead >= 0xF1 && lead <= 0xF3) return 4;
    if (lead == 0xF4) { hi = 0x8F; return 4; }
    return 0;
}

}  // namespace

std::size_t utf8_decode_append(const unsigned char* bytes, std::size_t length,
                               std::u16string& out, bool final) {
    std::size_t i = 0;
    while (i < length) {
        unsigned char lead = bytes[i];
        if (lead < 0x80) {
            out.push_back(lead);
            ++i;
            continue;
        }
        unsigned char lo = 0, hi = 0;
        int need = sequence_length(lead, lo, hi);
        if (need == 0) {
            out.push_back(REPLACEMENT);
            ++i;
            continue;
        }
        char32_t cp = lead & (need == 2 ? 0x1F : need == 3 ? 0x0F : 0x07);
        int have = 1;
        while (have < need && i + have < length) {
            unsigned char b = bytes[i + have];
            unsigned char min = have == 1 ? lo : 0x80;
            unsigned char max = have == 1 ? hi : 0xBF;
            if (b < min || b > max) break;
            cp = (cp << 6) | (b & 0x3F);
            ++have;
        }
        if (have == need) {
            put_utf16(cp, out);
        } else if (i + have == length && !final) {
            return i;  // unfinished sequence at the end: keep it for later
        } else {
            out.push_back(REPLACEMENT);
        }
        i += have;
    }
    return i;
}

std::u16string utf8_to_utf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    utf8_decode_append(reinterpret_cast<const unsigned char*>(text.data()), text.size(), out,
                       true);
    return out;
}

std::string utf16_to_utf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t u = text[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            u = 0x10000 + ((u - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            u = REPLACEMENT;
        }
        put_utf8(u, out);
    }
    return out;
}

int utf16_to_utf8(const char16_t* text, char* destination) {
    std::string bytes = utf16_to_utf8(std::u16string_view(text));
    if (destination) {
        std::memcpy(destination, bytes.data(), bytes.size());
        destination[bytes.size()] = '\0';
    }
    return static_cast<int>(bytes.size());
}

void utf8_to_utf16(const char* text, char16_t* destination) {
    std::u16string units = utf8_to_utf16(std::string_view(text));
    std::memcpy(destination, units.data(), units.size() * sizeof(char16_t));
    destination[units.size()] = u'\0';
}
