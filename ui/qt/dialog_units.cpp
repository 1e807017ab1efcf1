#include "ui/qt/dialog_units.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>
#include <QStringList>
#include <cmath>

namespace {

// round(a * b / c) for non-negative b and positive c, as MulDiv rounds.
int mul_div(int a, int b, int c) {
    const long long p = static_cast<long long>(a) * b;
    return static_cast<int>(p >= 0 ? (p + c / 2) / c : -((-p + c / 2) / c));
}

}  // namespace

int points_to_pixels(int points, double logical_dpi) {
    return static_cast<int>(std::floor(points * logical_dpi / 72.0 + 0.5));
}

QFont template_font(const DialogTemplate& tmpl) {
    const QString face = to_qstring(tmpl.font_face);
    QStringList families{face};
    // "MS Shell Dlg" with DS_FIXEDSYS is Tahoma on Windows.
    if (face == QLatin1String("MS Shell Dlg")) families << QStringLiteral("Tahoma");
    families << QStringLiteral("Liberation Sans") << QStringLiteral("Arimo")
             << QStringLiteral("Arial") << QStringLiteral("DejaVu Sans");
    QFont font;
    font.setFamilies(families);
    double dpi = 96.0;
    if (const QScreen* screen = QGuiApplication::primaryScreen()) dpi = screen->logicalDotsPerInchY();
    font.setPixelSize(std::max(1, points_to_pixels(tmpl.font_points, dpi)));
    // Template weights are 100-900 like Qt 6's.
    font.setWeight(static_cast<QFont::Weight>(std::clamp(tmpl.font_weight, 100, 900)));
    font.setStyleHint(QFont::SansSerif);
    return font;
}

DialogUnits DialogUnits::of(const QFont& font) {
    const QFontMetrics metrics(font);
    const int letters =
        metrics.horizontalAdvance(QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"));
    return DialogUnits((letters / 26 + 1) / 2, metrics.height());
}

int DialogUnits::x(int du) const { return mul_div(du, base_x_, 4); }

int DialogUnits::y(int du) const { return mul_div(du, base_y_, 8); }

QRect DialogUnits::rect(int x_du, int y_du, int cx, int cy) const {
    return QRect(x(x_du), y(y_du), x(cx), y(cy));
}
