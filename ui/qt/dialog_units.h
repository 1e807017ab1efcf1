// Dialog units on Qt: the font of a window template and the conversion of
// the template's positions and sizes into pixels, as Windows computes them.
//
//   base_x = (width of "a..zA..Z" / 26 + 1) / 2     base_y = font height
//   x_px = round(x * base_x / 4)                    y_px = round(y * base_y / 8)
//
// No Debian font has the metrics of "Microsoft Sans Serif"; the template's
// face is asked for first and "Liberation Sans" (Arial metrics, package
// fonts-liberation2) is the fallback, which gives 8 x 15 base units at the
// template's 10 points on a 96 DPI screen (13 px).
#pragma once

#include <QFont>
#include <QRect>
#include <QString>

#include "ui/control_table.h"

// The font of a template: its face (then the nearest metric-compatible
// ones), its weight, and its point size turned into whole pixels at the
// screen's logical DPI as Windows does (10 pt at 96 DPI is 13 px).
QFont template_font(const DialogTemplate& tmpl);

// Whole pixels of a point size at a logical DPI, rounded as MulDiv does.
int points_to_pixels(int points, double logical_dpi);

class DialogUnits {
public:
    DialogUnits() = default;
    DialogUnits(int base_x, int base_y) : base_x_(base_x), base_y_(base_y) {}
    // The base units of a font.
    static DialogUnits of(const QFont& font);

    int base_x() const { return base_x_; }
    int base_y() const { return base_y_; }
    int x(int du) const;  // a horizontal position or width in pixels
    int y(int du) const;  // a vertical position or height in pixels
    QRect rect(int x, int y, int cx, int cy) const;

private:
    int base_x_ = 0;
    int base_y_ = 0;
};

// The conversions between the dialog layer's UTF-16 text and QString.
inline QString to_qstring(const std::u16string& text) {
    return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}
inline QString to_qstring(const char16_t* text) { return text ? QString::fromUtf16(text) : QString(); }
inline std::u16string to_u16(const QString& text) {
    return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()),
                          static_cast<std::size_t>(text.size()));
}
