#include "ui/qt/qt_host.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDialog>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <QValidator>
#include <algorithm>
#include <deque>
#include <limits>
#include <map>
#include <mutex>

#include "ui/dialog_constants.h"
#include "usb/real_clock.h"

// --- the output pane's text ---

QString qt_pane::display_text(std::u16string_view text, char16_t prev) {
    QString out;
    out.reserve(static_cast<qsizetype>(text.size()));
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == u'\r') {
            out += QLatin1Char('\n');
            if (i + 1 < text.size() && text[i + 1] == u'\n') ++i;
        } else if (c == u'\n') {
            if (!(i == 0 && prev == u'\r')) out += QLatin1Char('\n');
        } else {
            out += QChar(c);
        }
    }
    return out;
}

std::u16string qt_pane::from_widget(const QString& raw) {
    std::u16string out;
    out.reserve(static_cast<std::size_t>(raw.size()));
    for (QChar c : raw) {
        if (c == QChar::ParagraphSeparator || c == QLatin1Char('\n')) {
            out += u"\r\n";
        } else {
            out += static_cast<char16_t>(c.unicode());
        }
    }
    return out;
}

std::vector<std::u16string> qt_name_filters(const std::u16string& filter) {
    std::vector<std::u16string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t bar = filter.find(u'|', start);
        if (bar == std::u16string::npos) {
            if (start < filter.size()) parts.push_back(filter.substr(start));
            break;
        }
        parts.push_back(filter.substr(start, bar - start));
        start = bar + 1;
    }
    std::vector<std::u16string> out;
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        QString text = to_qstring(parts[i]).trimmed();
        // The text's own "(...)" would be taken for the patterns: drop it.
        if (text.endsWith(QLatin1Char(')'))) {
            const qsizetype open = text.lastIndexOf(QLatin1Char('('));
            if (open > 0) text = text.left(open).trimmed();
        }
        QStringList patterns;
        for (const QString& p : to_qstring(parts[i + 1]).split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const QString pattern = p.trimmed();
            if (pattern.isEmpty()) continue;
            patterns << (pattern == QLatin1String("*.*") ? QStringLiteral("*") : pattern);
        }
        if (patterns.isEmpty()) patterns << QStringLiteral("*");
        out.push_back(to_u16(text + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                             QLatin1Char(')')));
    }
    return out;
}

QIcon orvane_app_icon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        const QString path = QStringLiteral(":/orvane/icons/orvane-%1.png").arg(size);
        if (QFile::exists(path)) icon.addFile(path, QSize(size, size));
    }
    return icon;
}

namespace {

constexpr int DEFAULT_EDIT_LIMIT = 32767;  // a new native edit's limit

struct Posted {
    unsigned message;
    std::uintptr_t wparam;
    std::intptr_t lparam;
};

// EM_LIMITTEXT on a QLineEdit: typing and pasting stop at the limit (a
// paste is cut to the room left); text the program sets is not cut, and
// characters may still be deleted from a text that is longer.
class LimitValidator final : public QValidator {
public:
    explicit LimitValidator(QLineEdit* edit) : QValidator(edit) {
        QObject::connect(edit, &QLineEdit::textChanged, this, [this](const QString& text) { last_ = text; });
    }
    int limit = DEFAULT_EDIT_LIMIT;  // 0: none
    bool bypass = false;             // the program is setting the text

    State validate(QString& input, int& pos) const override {
        if (bypass || limit <= 0 || input.size() <= limit || input.size() <= last_.size())
            return Acceptable;
        // What was typed or pasted: the text between the part kept in front
        // and the part kept behind.
        qsizetype front = 0;
        while (front < last_.size() && front < input.size() && last_[front] == input[front]) ++front;
        qsizetype back = 0;
        while (back < last_.size() - front && back < input.size() - front &&
               last_[last_.size() - 1 - back] == input[input.size() - 1 - back])
            ++back;
        const qsizetype kept = front + back;
        const qsizetype inserted = input.size() - kept;
        const qsizetype room = std::max<qsizetype>(0, limit - kept);
        if (inserted > room) {
            input.remove(front + room, inserted - room);
            pos = static_cast<int>(front + room);
        }
        return Acceptable;
    }

private:
    QString last_;
};

// What the host keeps of a multi-line edit.
struct PaneState {
    std::u16string text;  // the dialog's text, while the operator has not typed
    bool typed = false;   // the widget changed by the operator since
    int limit = DEFAULT_EDIT_LIMIT;
    // Appends move the caret to the end and scroll it into view once per
    // turn of the event loop, not once per append (that costs twice the
    // insertion itself).
    bool caret_to_end = false;
};

Qt::WindowFlags frame_flags(const DialogTemplate& tmpl) {
    Qt::WindowFlags flags = Qt::CustomizeWindowHint;
    if (tmpl.frame_styles & FRAME_CAPTION) flags |= Qt::WindowTitleHint;
    if (tmpl.frame_styles & FRAME_SYSMENU) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    return flags;
}

}  // namespace

class MainWindow;
class InputGuard;

struct QtDialogHost::Impl {
    explicit Impl(QtDialogHost* owner) : host(owner) {}

    QtDialogHost* host;
    MainWindow* window = nullptr;  // owned; deleted with the Impl
    QFont font;
    DialogUnits units;
    std::map<int, QWidget*> by_id;
    std::vector<QWidget*> in_order;
    std::map<int, LimitValidator*> validators;
    std::map<int, bool> line_modified;  // a single-line edit's modified flag
    std::map<int, PaneState> panes;

    CDialogEx* dialog = nullptr;
    bool ended = false;
    int end_result = 0;
    QEventLoop* modal_loop = nullptr;
    int updating = 0;       // >0: the program is changing controls, no notifications
    int sleep_depth = 0;    // >0: inside a window sleep
    int handler_depth = 0;  // >0: a handler of the dialog runs
    bool native_files = true;
    QPointer<QDialog> about;
    int unknown_ids = 0;

    QObject receiver;  // posted messages are delivered through its thread's queue
    InputGuard* guard = nullptr;  // owned by receiver
    mutable std::mutex queue_lock;
    std::deque<Posted> queue;

    ~Impl();
    void create_window();
    QWidget* find(int id) {
        auto it = by_id.find(id);
        if (it == by_id.end()) {
            ++unknown_ids;
            return nullptr;
        }
        return it->second;
    }
    bool live() const { return dialog && !ended; }
    // Every call into the dialog; while one runs, the window takes no
    // commands (a Download sleeping in window_sleep, a handler's message
    // box), as on Windows.
    DispatchResult dispatch(unsigned message, std::uintptr_t wparam, std::intptr_t lparam) {
        if (!dialog) return {false, 0};
        ++handler_depth;
        const DispatchResult r = dialog->OnMessage(message, wparam, lparam);
        --handler_depth;
        return r;
    }
    void command(int id, unsigned code) {
        if (live() && handler_depth == 0) dispatch(DLG_WM_COMMAND, dlg_command_wparam(id, code), 0);
    }
    void sys_command(unsigned id) {
        if (!live() || handler_depth > 0) return;
        const DispatchResult r = dispatch(DLG_WM_SYSCOMMAND, id, 0);
        if (!r.handled && (id & 0xFFF0u) == DLG_SC_CLOSE) command(DLG_IDCANCEL, DLG_BN_CLICKED);
    }
    void schedule_drain() {
        QMetaObject::invokeMethod(&receiver, [this] { drain(); }, Qt::QueuedConnection);
    }
    // Handles the posted messages that may be handled now, in posting order.
    void drain() {
        for (;;) {
            Posted p;
            {
                std::lock_guard lock(queue_lock);
                auto it = queue.begin();
                if (sleep_depth > 0)  // only the pane's output during a window sleep
                    it = std::find_if(queue.begin(), queue.end(),
                                      [](const Posted& q) { return q.message == WM_OUTPUT_FLUSH; });
                if (it == queue.end()) return;
                p = *it;
                queue.erase(it);
            }
            dispatch(p.message, p.wparam, p.lparam);
        }
    }

    // Program changes to a multi-line edit, without marking it typed.
    void pane_replace(QPlainTextEdit* edit, PaneState& pane, const std::u16string& text);
    void pane_append(QPlainTextEdit* edit, PaneState& pane, const std::u16string& text);
    // Puts the caret at the end and scrolls it into view, when appends asked
    // for it and it has not happened yet.
    void pane_caret_to_end(QPlainTextEdit* edit, PaneState& pane) {
        if (!pane.caret_to_end) return;
        pane.caret_to_end = false;
        ++updating;
        edit->moveCursor(QTextCursor::End);
        edit->ensureCursorVisible();
        --updating;
    }
};

// Discards the operator's input while the window thread sleeps in a handler:
// clicks, keys, the wheel, context menus and the close box go nowhere, as
// the Win32 host discards them, so nothing the operator does during a
// Download is acted on afterwards.
class InputGuard final : public QObject {
public:
    InputGuard(QtDialogHost::Impl* impl, QObject* parent) : QObject(parent), d_(impl) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (d_->sleep_depth == 0) return QObject::eventFilter(watched, event);
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TabletPress:
        case QEvent::TabletRelease:
            return true;
        case QEvent::Close:
            if (!event->spontaneous()) return false;
            event->ignore();  // the window stays
            return true;
        default:
            return false;
        }
    }

private:
    QtDialogHost::Impl* d_;
};

class MainWindow final : public QWidget {
public:
    MainWindow(QtDialogHost::Impl* impl, Qt::WindowFlags flags) : QWidget(nullptr, flags), d_(impl) {}

    // The dialog's keys, seen before the control with the focus gets them,
    // as the Windows dialog manager sees them: Enter, Esc and F1 mean the
    // same whichever control has the focus.
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress && dialog_key(watched, static_cast<QKeyEvent*>(event)))
            return true;
        return QWidget::eventFilter(watched, event);
    }

protected:
    void keyPressEvent(QKeyEvent* e) override {
        if (!dialog_key(this, e)) QWidget::keyPressEvent(e);
    }

    void closeEvent(QCloseEvent* e) override {
        if (!d_->live()) {
            e->accept();
            return;
        }
        // The dialog decides; it ends the modal run through end_dialog.
        e->ignore();
        d_->sys_command(DLG_SC_CLOSE);
    }

    void contextMenuEvent(QContextMenuEvent* e) override {
        if (!d_->live()) return;
        QMenu menu(this);
        QAction* about = menu.addAction(to_qstring(load_string(IDS_ABOUTBOX)));
        if (menu.exec(e->globalPos()) == about) d_->sys_command(IDM_ABOUTBOX);
    }

private:
    // Enter, Esc and F1; true when the key was the dialog's.
    bool dialog_key(QObject* target, QKeyEvent* e) {
        if ((e->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) return false;
        switch (e->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            // The output pane takes Enter as a line break (ES_WANTRETURN).
            if (auto* pane = qobject_cast<QPlainTextEdit*>(target); pane && !pane->isReadOnly()) return false;
            // The focused push button is clicked; anywhere else Enter is
            // the OK command (the window has no default button).
            if (auto* button = qobject_cast<QPushButton*>(target); button && button->isEnabled()) {
                button->click();
            } else {
                d_->command(DLG_IDOK, DLG_BN_CLICKED);
            }
            return true;
        case Qt::Key_Escape:
            d_->command(DLG_IDCANCEL, DLG_BN_CLICKED);
            return true;
        case Qt::Key_F1:
            d_->sys_command(IDM_ABOUTBOX);
            return true;
        default:
            return false;
        }
    }

    QtDialogHost::Impl* d_;
};

QtDialogHost::Impl::~Impl() { delete window; }

namespace {

// One control of a template, as a child of parent at its place.
QWidget* create_control(const ControlEntry& c, QWidget* parent, const DialogUnits& u) {
    const QString caption = to_qstring(c.caption);
    QWidget* w = nullptr;
    QRect rect = u.rect(c.x, c.y, c.cx, c.cy);
    switch (c.kind) {
    case ControlKind::drop_down_list: {
        auto* combo = new QComboBox(parent);
        combo->setEditable(false);
        // The template's height includes the opened list; the closed
        // control is one line high.
        const int line = std::max(combo->sizeHint().height(), u.base_y() + 8);
        rect.setHeight(std::min(rect.height(), line));
        w = combo;
        break;
    }
    case ControlKind::label: {
        auto* label = new QLabel(caption, parent);
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setWordWrap(true);  // SS_LEFT wraps words
        w = label;
        break;
    }
    case ControlKind::push_button: {
        auto* button = new QPushButton(caption, parent);
        button->setAutoDefault(false);
        button->setDefault((c.styles & CTL_DEFPUSHBUTTON) != 0);
        w = button;
        break;
    }
    case ControlKind::edit:
        if (c.styles & CTL_MULTILINE) {
            auto* edit = new QPlainTextEdit(parent);
            edit->setLineWrapMode(QPlainTextEdit::NoWrap);  // ES_AUTOHSCROLL
            edit->setTabChangesFocus(true);                 // Tab leaves, as in a dialog
            edit->setUndoRedoEnabled(false);                // the pane may grow long
            edit->setVerticalScrollBarPolicy((c.styles & CTL_VSCROLL) ? Qt::ScrollBarAlwaysOn
                                                                      : Qt::ScrollBarAlwaysOff);
            edit->setHorizontalScrollBarPolicy((c.styles & CTL_HSCROLL) ? Qt::ScrollBarAlwaysOn
                                                                        : Qt::ScrollBarAlwaysOff);
            edit->setReadOnly((c.styles & CTL_READONLY) != 0);
            w = edit;
        } else {
            auto* edit = new QLineEdit(parent);
            edit->setMaxLength(std::numeric_limits<int>::max());  // limits are the validator's
            edit->setReadOnly((c.styles & CTL_READONLY) != 0);
            edit->setFrame((c.styles & CTL_BORDER) != 0);
            w = edit;
        }
        break;
    case ControlKind::check_box:
        w = new QCheckBox(caption, parent);
        break;
    case ControlKind::group_box:
        w = new QGroupBox(caption, parent);
        break;
    case ControlKind::icon: {
        auto* label = new QLabel(parent);
        // A native icon control shows the icon at its own size (32 px).
        const int side = 32;
        label->setPixmap(orvane_app_icon().pixmap(side, side));
        rect.setSize(QSize(side, side));
        w = label;
        break;
    }
    }
    w->setGeometry(rect);
    if (!(c.styles & CTL_TABSTOP)) w->setFocusPolicy(Qt::NoFocus);
    return w;
}

}  // namespace

void QtDialogHost::Impl::create_window() {
    const DialogTemplate& tmpl = main_window_template();
    window = new MainWindow(this, Qt::Window | frame_flags(tmpl));
    window->setWindowTitle(to_qstring(tmpl.caption));
    window->setWindowIcon(orvane_app_icon());
    font = template_font(tmpl);
    window->setFont(font);
    units = DialogUnits::of(font);
    window->resize(units.x(tmpl.cx), units.y(tmpl.cy));

    // Group boxes first, so that they stay beneath the controls they frame;
    // the rest in the table's order, which is also the tab order.
    std::map<const ControlEntry*, QWidget*> made;
    for (const ControlEntry& c : tmpl.controls)
        if (c.kind == ControlKind::group_box) made[&c] = create_control(c, window, units);
    for (const ControlEntry& c : tmpl.controls)
        if (c.kind != ControlKind::group_box) made[&c] = create_control(c, window, units);

    QWidget* previous = nullptr;
    for (const ControlEntry& c : tmpl.controls) {
        QWidget* w = made[&c];
        w->installEventFilter(window);
        in_order.push_back(w);
        if (c.id != IDC_NO_ID) by_id[c.id] = w;
        if (c.styles & CTL_TABSTOP) {
            if (previous) QWidget::setTabOrder(previous, w);
            previous = w;
        }
        const int id = c.id;
        if (auto* button = qobject_cast<QAbstractButton*>(w); button && c.kind != ControlKind::group_box) {
            QObject::connect(button, &QAbstractButton::clicked, window, [this, id] {
                if (!updating) command(id, DLG_BN_CLICKED);
            });
        } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
            QObject::connect(combo, &QComboBox::currentIndexChanged, window, [this, id] {
                if (!updating) command(id, DLG_CBN_SELCHANGE);
            });
        } else if (auto* line = qobject_cast<QLineEdit*>(w)) {
            auto* validator = new LimitValidator(line);
            line->setValidator(validator);
            validators[id] = validator;
            // QLineEdit forgets its own flag when the limit cuts a typed text.
            line_modified[id] = false;
            QObject::connect(line, &QLineEdit::textEdited, window, [this, id] { line_modified[id] = true; });
        } else if (auto* pane = qobject_cast<QPlainTextEdit*>(w)) {
            panes[id] = PaneState{};
            QObject::connect(pane->document(), &QTextDocument::contentsChange, window,
                             [this, id](int, int removed, int added) {
                                 if (!updating && (removed || added)) panes[id].typed = true;
                             });
        }
    }
}

void QtDialogHost::Impl::pane_replace(QPlainTextEdit* edit, PaneState& pane, const std::u16string& text) {
    ++updating;
    pane.text = text;
    pane.typed = false;
    pane.caret_to_end = false;  // WM_SETTEXT puts the caret at the start
    edit->setPlainText(qt_pane::display_text(text, 0));
    edit->document()->setModified(false);
    --updating;
}

void QtDialogHost::Impl::pane_append(QPlainTextEdit* edit, PaneState& pane, const std::u16string& text) {
    if (text.empty()) return;
    ++updating;
    if (pane.typed) {
        // The operator changed the pane: what it shows now is its text.
        pane.text = qt_pane::from_widget(edit->document()->toRawText());
        pane.typed = false;
    }
    const char16_t prev = pane.text.empty() ? 0 : pane.text.back();
    pane.text.append(text);
    QTextCursor cursor(edit->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(qt_pane::display_text(text, prev));
    // EM_SETSEL at the end, EM_REPLACESEL: the caret ends after the text,
    // which is scrolled into view (at the next turn of the event loop), and
    // the edit counts as modified.
    if (!pane.caret_to_end) {
        pane.caret_to_end = true;
        QTimer::singleShot(0, edit, [this, edit, &pane] { pane_caret_to_end(edit, pane); });
    }
    edit->document()->setModified(true);
    --updating;
}

// --- QtDialogHost ---

QtDialogHost::QtDialogHost() : d_(std::make_unique<Impl>(this)) {
    QApplication::setQuitOnLastWindowClosed(false);
    d_->create_window();
    d_->guard = new InputGuard(d_.get(), &d_->receiver);
    qApp->installEventFilter(d_->guard);
}

QtDialogHost::~QtDialogHost() = default;

void QtDialogHost::open(CDialogEx& dialog) {
    d_->dialog = &dialog;
    d_->ended = false;
    d_->end_result = 0;
    ++d_->handler_depth;
    const int focus_first = dialog.OnInitDialog();
    --d_->handler_depth;
    if (d_->ended) return;  // ended during its initialisation

    // Centred on the work area of the screen.
    QWidget* w = d_->window;
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        w->move(area.center() - QPoint(w->width() / 2, w->height() / 2));
    }
    w->show();
    w->activateWindow();
    if (focus_first) {
        for (const ControlEntry& c : main_window_template().controls) {
            if (!(c.styles & CTL_TABSTOP) || c.id == IDC_NO_ID) continue;
            QWidget* target = d_->by_id[c.id];
            if (target->isEnabled()) {
                target->setFocus(Qt::TabFocusReason);
                break;
            }
        }
    }
}

int QtDialogHost::run_modal(CDialogEx& dialog) {
    open(dialog);
    if (!d_->ended) {
        QEventLoop loop;
        d_->modal_loop = &loop;
        loop.exec();
        d_->modal_loop = nullptr;
    }
    d_->window->hide();
    d_->dialog = nullptr;  // messages still posted go nowhere
    return d_->end_result;
}

bool QtDialogHost::ended() const { return d_->ended; }

int QtDialogHost::end_result() const { return d_->end_result; }

void QtDialogHost::end_dialog(int result) {
    d_->ended = true;
    d_->end_result = result;
    d_->window->hide();
    if (d_->modal_loop) d_->modal_loop->exit(0);
}

void QtDialogHost::window_sleep(std::int64_t ms) {
    // All events are processed: the input among them is discarded by the
    // InputGuard rather than left for later.
    ++d_->sleep_depth;
    if (ms <= 0) {
        QCoreApplication::processEvents();
    } else {
        QEventLoop loop;
        QTimer timer;
        timer.setSingleShot(true);
        timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
        timer.start(static_cast<int>(std::min<std::int64_t>(ms, std::numeric_limits<int>::max())));
        loop.exec();
    }
    --d_->sleep_depth;
    // Messages held back during the sleep are handled once the window
    // thread is back in its own loop.
    if (d_->sleep_depth == 0 && queued() > 0) d_->schedule_drain();
}

void QtDialogHost::attach_clock(RealClock& clock) {
    clock.set_window_sleep([this](std::int64_t ms) { window_sleep(ms); });
}

void QtDialogHost::set_native_file_dialog(bool native) { d_->native_files = native; }

QWidget* QtDialogHost::window() const { return d_->window; }

QWidget* QtDialogHost::widget(int id) const {
    auto it = d_->by_id.find(id);
    return it == d_->by_id.end() ? nullptr : it->second;
}

const std::vector<QWidget*>& QtDialogHost::widgets_in_table_order() const { return d_->in_order; }

const DialogUnits& QtDialogHost::units() const { return d_->units; }

int QtDialogHost::focus_id() const {
    for (QWidget* f = d_->window->focusWidget(); f && f != d_->window; f = f->parentWidget())
        for (const auto& [id, w] : d_->by_id)
            if (w == f) return id;
    return 0;
}

QDialog* QtDialogHost::about_box() const { return d_->about.data(); }

int QtDialogHost::unknown_id_calls() const { return d_->unknown_ids; }

std::size_t QtDialogHost::queued() const {
    std::lock_guard lock(d_->queue_lock);
    return d_->queue.size();
}

// --- controls ---

void QtDialogHost::set_text(int id, const std::u16string& text) {
    QWidget* w = d_->find(id);
    if (!w) return;
    ++d_->updating;
    if (auto* line = qobject_cast<QLineEdit*>(w)) {
        LimitValidator* v = d_->validators[id];
        v->bypass = true;  // text set by the program is not cut
        line->setText(to_qstring(text));
        v->bypass = false;
        line->setCursorPosition(0);  // shows the start, as a native edit does
        d_->line_modified[id] = false;
    } else if (auto* pane = qobject_cast<QPlainTextEdit*>(w)) {
        d_->pane_replace(pane, d_->panes[id], text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        button->setText(to_qstring(text));
    } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
        group->setTitle(to_qstring(text));
    } else if (auto* label = qobject_cast<QLabel*>(w)) {
        label->setText(to_qstring(text));
    }
    // A drop-down list has no text of its own to set.
    --d_->updating;
}

std::u16string QtDialogHost::get_text(int id) {
    QWidget* w = d_->find(id);
    if (!w) return u"";
    if (auto* combo = qobject_cast<QComboBox*>(w))
        return combo->currentIndex() >= 0 ? to_u16(combo->currentText()) : u"";
    if (auto* line = qobject_cast<QLineEdit*>(w)) return to_u16(line->text());
    if (auto* pane = qobject_cast<QPlainTextEdit*>(w)) {
        PaneState& state = d_->panes[id];
        if (state.typed) {
            state.text = qt_pane::from_widget(pane->document()->toRawText());
            state.typed = false;
        }
        return state.text;
    }
    if (auto* button = qobject_cast<QAbstractButton*>(w)) return to_u16(button->text());
    if (auto* group = qobject_cast<QGroupBox*>(w)) return to_u16(group->title());
    if (auto* label = qobject_cast<QLabel*>(w)) return to_u16(label->text());
    return u"";
}

void QtDialogHost::enable(int id, bool on) {
    if (QWidget* w = d_->find(id)) w->setEnabled(on);
}

bool QtDialogHost::is_enabled(int id) {
    QWidget* w = d_->find(id);
    return w && !w->testAttribute(Qt::WA_Disabled);
}

void QtDialogHost::set_focus(int id) {
    if (QWidget* w = d_->find(id)) w->setFocus(Qt::OtherFocusReason);
}

void QtDialogHost::list_reset(int id) {
    auto* combo = qobject_cast<QComboBox*>(d_->find(id));
    if (!combo) return;
    ++d_->updating;
    combo->clear();
    --d_->updating;
}

void QtDialogHost::list_add(int id, const std::u16string& row) {
    auto* combo = qobject_cast<QComboBox*>(d_->find(id));
    if (!combo) return;
    ++d_->updating;
    const int before = combo->currentIndex();
    combo->addItem(to_qstring(row));
    // Adding the first row selects it in Qt; a native list selects nothing.
    if (before < 0) combo->setCurrentIndex(-1);
    --d_->updating;
}

void QtDialogHost::list_select(int id, int index) {
    auto* combo = qobject_cast<QComboBox*>(d_->find(id));
    if (!combo) return;
    ++d_->updating;
    combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
    --d_->updating;
}

int QtDialogHost::list_selection(int id) {
    auto* combo = qobject_cast<QComboBox*>(d_->find(id));
    return combo ? combo->currentIndex() : -1;
}

void QtDialogHost::set_check(int id, bool checked) {
    auto* box = qobject_cast<QAbstractButton*>(d_->find(id));
    if (!box) return;
    ++d_->updating;
    box->setChecked(checked);
    --d_->updating;
}

bool QtDialogHost::get_check(int id) {
    auto* box = qobject_cast<QAbstractButton*>(d_->find(id));
    return box && box->isChecked();
}

void QtDialogHost::limit_text(int id, int limit) {
    QWidget* w = d_->find(id);
    if (!w) return;
    const int value = limit > 0 ? limit : 0;
    if (auto it = d_->validators.find(id); it != d_->validators.end()) it->second->limit = value;
    if (auto it = d_->panes.find(id); it != d_->panes.end()) it->second.limit = value;
}

void QtDialogHost::select_all(int id) {
    QWidget* w = d_->find(id);
    if (auto* line = qobject_cast<QLineEdit*>(w)) line->selectAll();
    else if (auto* pane = qobject_cast<QPlainTextEdit*>(w)) {
        d_->pane_caret_to_end(pane, d_->panes[id]);
        pane->selectAll();
    }
}

void QtDialogHost::append_text(int id, const std::u16string& text) {
    QWidget* w = d_->find(id);
    if (auto* pane = qobject_cast<QPlainTextEdit*>(w)) {
        d_->pane_append(pane, d_->panes[id], text);
    } else if (auto* line = qobject_cast<QLineEdit*>(w)) {
        ++d_->updating;
        LimitValidator* v = d_->validators[id];
        v->bypass = true;
        line->end(false);
        line->insert(to_qstring(text));
        v->bypass = false;
        d_->line_modified[id] = true;
        --d_->updating;
    }
}

bool QtDialogHost::get_modify(int id) {
    QWidget* w = d_->find(id);
    if (qobject_cast<QLineEdit*>(w)) return d_->line_modified[id];
    if (auto* pane = qobject_cast<QPlainTextEdit*>(w)) return pane->document()->isModified();
    return false;
}

void QtDialogHost::set_modify(int id, bool modified) {
    QWidget* w = d_->find(id);
    if (qobject_cast<QLineEdit*>(w)) d_->line_modified[id] = modified;
    else if (auto* pane = qobject_cast<QPlainTextEdit*>(w)) pane->document()->setModified(modified);
}

int QtDialogHost::line_count(int id) {
    QWidget* w = d_->find(id);
    if (auto* pane = qobject_cast<QPlainTextEdit*>(w)) return pane->document()->blockCount();
    return w ? 1 : 0;
}

void QtDialogHost::line_scroll(int id, int lines) {
    if (auto* pane = qobject_cast<QPlainTextEdit*>(d_->find(id))) {
        d_->pane_caret_to_end(pane, d_->panes[id]);  // from where the appends left it
        QScrollBar* bar = pane->verticalScrollBar();  // in lines
        bar->setValue(bar->value() + lines);
    }
}

// --- windows ---

int QtDialogHost::message_box(const std::u16string& text, const std::u16string& caption, BoxIcon icon) {
    QMessageBox::Icon qicon = QMessageBox::NoIcon;
    switch (icon) {
    case BoxIcon::none: qicon = QMessageBox::NoIcon; break;
    case BoxIcon::exclamation:
    case BoxIcon::warning: qicon = QMessageBox::Warning; break;
    case BoxIcon::information: qicon = QMessageBox::Information; break;
    }
    const QString title = to_qstring(caption.empty() ? std::u16string(APP_NAME) : caption);
    QMessageBox box(qicon, title, to_qstring(text), QMessageBox::Ok,
                    d_->window->isVisible() ? d_->window : nullptr);
    box.setTextFormat(Qt::PlainText);
    box.exec();
    return BOX_RESULT_OK;
}

std::optional<std::u16string> QtDialogHost::pick_open_file(const FilePickRequest& request) {
    QFileDialog picker(d_->window->isVisible() ? d_->window : nullptr);
    picker.setWindowTitle(QStringLiteral("Open"));
    picker.setAcceptMode(QFileDialog::AcceptOpen);
    picker.setFileMode(QFileDialog::ExistingFile);
    picker.setOption(QFileDialog::DontUseNativeDialog, !d_->native_files);
    QStringList filters;
    for (const std::u16string& f : qt_name_filters(request.filter)) filters << to_qstring(f);
    if (!filters.isEmpty()) picker.setNameFilters(filters);
    QString ext = to_qstring(request.default_ext);
    while (ext.startsWith(QLatin1Char('*')) || ext.startsWith(QLatin1Char('.'))) ext.remove(0, 1);
    if (!ext.isEmpty()) picker.setDefaultSuffix(ext);
    if (picker.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList chosen = picker.selectedFiles();
    if (chosen.isEmpty()) return std::nullopt;
    return to_u16(QFileInfo(chosen.first()).absoluteFilePath());
}

void QtDialogHost::run_about_box() {
    const DialogTemplate& tmpl = about_box_template();
    QDialog box(d_->window->isVisible() ? d_->window : nullptr, Qt::Dialog | frame_flags(tmpl));
    box.setWindowTitle(to_qstring(tmpl.caption));
    const QFont font = template_font(tmpl);
    box.setFont(font);
    const DialogUnits u = DialogUnits::of(font);
    box.setFixedSize(u.x(tmpl.cx), u.y(tmpl.cy));
    for (const ControlEntry& c : tmpl.controls) {
        QWidget* w = create_control(c, &box, u);
        if (c.id == DLG_IDOK_CONTROL) {
            w->setObjectName(QStringLiteral("ok"));
            QObject::connect(static_cast<QPushButton*>(w), &QPushButton::clicked, &box, &QDialog::accept);
            w->setFocus();
        }
    }
    d_->about = &box;
    box.exec();
    d_->about = nullptr;
}

void QtDialogHost::post_message(unsigned message, std::uintptr_t wparam, std::intptr_t lparam) {
    {
        std::lock_guard lock(d_->queue_lock);
        d_->queue.push_back({message, wparam, lparam});
    }
    d_->schedule_drain();
}
