#include "ui/volt_code.h"

#include <cstdio>

std::u16string volt_code_text(int code) {
    float millivolts = static_cast<float>((code + 28) * 25);
    float volts = static_cast<float>(millivolts / 1000.0);
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", static_cast<double>(volts));
    std::string s(text);
    return std::u16string(s.begin(), s.end());
}

std::u16string volt_code_display(int code) {
    if (code == VOLT_CODE_AUTO) return u"auto";
    if (code <= VOLT_CODE_OFF) return u"OFF";
    if (code >= VOLT_CODE_FULL) return u"FULL";
    return volt_code_text(code);
}
