// The main window on Qt as the control table lays it out: every control of the table
// at its place in dialog units of the template's font, group boxes beneath,
// tab order, frame, captions.
#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextDocument>

#include "qt_fixture.h"

namespace {

bool liberation_sans() {
    return QFontInfo(template_font(main_window_template())).family() == QLatin1String("Liberation Sans");
}

QString caption_of(QWidget* w) {
    if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
    if (auto* g = qobject_cast<QGroupBox*>(w)) return g->title();
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
    return QString();
}

}  // namespace

TEST(QtDialogUnits, ConversionRoundsAsWindowsDoes) {
    const DialogUnits u(8, 15);
    EXPECT_EQ(u.x(365), 730);
    EXPECT_EQ(u.y(319), 598);   // 598.125
    EXPECT_EQ(u.y(3), 6);       // 5.625
    EXPECT_EQ(u.x(1), 2);
    EXPECT_EQ(u.rect(41, 29, 54, 30), QRect(82, 54, 108, 56));  // 54.375, 56.25
    EXPECT_EQ(points_to_pixels(10, 96), 13);
    EXPECT_EQ(points_to_pixels(8, 96), 11);
    EXPECT_EQ(points_to_pixels(10, 120), 17);
}

TEST(QtDialogUnits, TemplateFontIsLiberationSansAt13Px) {
    if (!liberation_sans()) GTEST_SKIP() << "fonts-liberation2 is not installed";
    const QFont font = template_font(main_window_template());
    EXPECT_EQ(font.pixelSize(), points_to_pixels(10, QGuiApplication::primaryScreen()->logicalDotsPerInchY()));
    if (font.pixelSize() != 13) GTEST_SKIP() << "screen is not 96 DPI";
    const DialogUnits u = DialogUnits::of(font);
    EXPECT_EQ(u.base_x(), 8);
    EXPECT_EQ(u.base_y(), 15);
}

using QtLayout = QtDialogTest;

TEST_F(QtLayout, FrameCaptionSizeAndIcon) {
    QWidget* win = host.window();
    EXPECT_EQ(win->windowTitle(), QStringLiteral("Brenlow DDR Test Tool"));
    const DialogUnits& u = host.units();
    EXPECT_EQ(win->size(), QSize(u.x(365), u.y(319)));
    if (liberation_sans() && u.base_x() == 8 && u.base_y() == 15) {
        EXPECT_EQ(win->size(), QSize(730, 598));
    }
    const Qt::WindowFlags f = win->windowFlags();
    EXPECT_TRUE(f & Qt::WindowTitleHint);
    EXPECT_TRUE(f & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(f & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(f & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(win->isVisible());
    EXPECT_FALSE(orvane_app_icon().isNull());
    EXPECT_FALSE(win->windowIcon().isNull());
}

TEST_F(QtLayout, EveryControlAtItsPlaceWithItsCaption) {
    const DialogTemplate& tmpl = main_window_template();
    const auto& widgets = host.widgets_in_table_order();
    ASSERT_EQ(widgets.size(), tmpl.controls.size());
    const DialogUnits& u = host.units();
    for (std::size_t i = 0; i < widgets.size(); ++i) {
        const ControlEntry& c = tmpl.controls[i];
        QWidget* wgt = widgets[i];
        SCOPED_TRACE(testing::Message() << "row " << i + 1 << " id " << c.id);
        if (c.id != IDC_NO_ID) {
            EXPECT_EQ(host.widget(c.id), wgt);
        }
        const QRect want = u.rect(c.x, c.y, c.cx, c.cy);
        EXPECT_EQ(wgt->pos(), want.topLeft());
        EXPECT_EQ(wgt->width(), want.width());
        if (c.kind == ControlKind::drop_down_list) {
            // The closed list is one line high.
            EXPECT_LT(wgt->height(), want.height());
            EXPECT_GE(wgt->height(), u.base_y());
        } else {
            EXPECT_EQ(wgt->height(), want.height());
        }
        switch (c.kind) {
        case ControlKind::drop_down_list: EXPECT_TRUE(qobject_cast<QComboBox*>(wgt)); break;
        case ControlKind::label: EXPECT_TRUE(qobject_cast<QLabel*>(wgt)); break;
        case ControlKind::push_button: EXPECT_TRUE(qobject_cast<QPushButton*>(wgt)); break;
        case ControlKind::check_box: EXPECT_TRUE(qobject_cast<QCheckBox*>(wgt)); break;
        case ControlKind::group_box: EXPECT_TRUE(qobject_cast<QGroupBox*>(wgt)); break;
        case ControlKind::edit:
            if (c.styles & CTL_MULTILINE) {
                EXPECT_TRUE(qobject_cast<QPlainTextEdit*>(wgt));
            } else {
                EXPECT_TRUE(qobject_cast<QLineEdit*>(wgt));
            }
            break;
        case ControlKind::icon: ADD_FAILURE(); break;
        }
        EXPECT_EQ(caption_of(wgt), to_qstring(c.caption));
        EXPECT_TRUE(wgt->isVisible());
    }
    EXPECT_EQ(caption_of(host.widgets_in_table_order()[19]), QStringLiteral("DDR Stess Test"));
    EXPECT_TRUE(w<QLineEdit>(IDC_VDD_ARM)->isReadOnly());
    EXPECT_TRUE(w<QLineEdit>(IDC_VDD_SOC)->isReadOnly());
    EXPECT_FALSE(w<QLineEdit>(IDC_ADDR)->isReadOnly());
    EXPECT_EQ(host.unknown_id_calls(), 0);
}

TEST_F(QtLayout, GroupBoxesAreBeneathTheirControls) {
    const QObjectList& stack = host.window()->children();  // bottom to top
    int last_group = -1, first_other = static_cast<int>(stack.size());
    for (int i = 0; i < static_cast<int>(stack.size()); ++i) {
        auto* wgt = qobject_cast<QWidget*>(stack[i]);
        if (!wgt) continue;
        if (qobject_cast<QGroupBox*>(wgt))
            last_group = i;
        else
            first_other = std::min(first_other, i);
    }
    EXPECT_LT(last_group, first_other);
    // A click inside a frame reaches the control, not the frame.
    QWidget* save = host.widget(IDC_SAVE_STRESS);
    EXPECT_EQ(host.window()->childAt(save->geometry().center()), save);
}

TEST_F(QtLayout, OutputPaneScrollsInsteadOfWrapping) {
    auto* pane = w<QPlainTextEdit>(IDC_OUTPUT);
    ASSERT_TRUE(pane);
    EXPECT_EQ(pane->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_EQ(pane->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(pane->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_FALSE(pane->isReadOnly());
    host.set_text(IDC_OUTPUT, std::u16string(400, u'x') + u"\r\nend");
    EXPECT_EQ(pane->document()->blockCount(), 2);
    EXPECT_GT(pane->horizontalScrollBar()->maximum(), 0);
}

TEST_F(QtLayout, TabWalksTheTableSkippingDisabledControls) {
    QWidget* win = host.window();
    win->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(win));
    ASSERT_EQ(host.focus_id(), IDC_TARGET);
    std::vector<int> expected;
    for (const ControlEntry& c : main_window_template().controls)
        if ((c.styles & CTL_TABSTOP) && host.is_enabled(c.id)) expected.push_back(c.id);
    std::vector<int> seen{host.focus_id()};
    for (std::size_t i = 1; i < expected.size() + 1; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        seen.push_back(host.focus_id());
    }
    expected.push_back(IDC_TARGET);  // and round again
    EXPECT_EQ(seen, expected);
}

TEST_F(QtLayout, ScreenshotOfTheStartState) {
    const QImage shot = host.window()->grab().toImage();
    EXPECT_EQ(shot.size(), host.window()->size() * host.window()->devicePixelRatio());
    EXPECT_TRUE(shot.save(QStringLiteral(ORVANE_BINARY_DIR "/tests/qt/orvane-start.png")));
}
