#include "ui/headless/headless_host.h"

#include <algorithm>

#include "usb/clock.h"

namespace {

int count_line_breaks(std::u16string_view text) {
    int n = 0;
    for (std::size_t i = 1; i < text.size(); ++i)
        if (text[i] == u'\n' && text[i - 1] == u'\r') ++n;
    return n;
}

bool is_edit(const HeadlessControl& c) { return c.kind == ControlKind::edit; }

}  // namespace

HeadlessHost::HeadlessHost() {
    for (const ControlEntry& entry : main_window_template().controls) {
        if (entry.id == IDC_NO_ID) continue;
        HeadlessControl c;
        c.id = entry.id;
        c.kind = entry.kind;
        c.styles = entry.styles;
        c.text = entry.caption;
        controls_[entry.id] = c;
        if (entry.styles & CTL_TABSTOP) tab_order_.push_back(entry.id);
    }
}

HeadlessControl* HeadlessHost::find(int id) {
    auto it = controls_.find(id);
    if (it == controls_.end()) {
        ++unknown_id_calls_;
        return nullptr;
    }
    return &it->second;
}

const HeadlessControl& HeadlessHost::control(int id) const {
    auto it = controls_.find(id);
    return it == controls_.end() ? nowhere_ : it->second;
}

void HeadlessHost::open(CDialogEx& dialog) {
    dialog_ = &dialog;
    ended_ = false;
    if (dialog.OnInitDialog()) {
        for (int id : tab_order_)
            if (controls_[id].enabled) {
                focus_ = id;
                break;
            }
    }
}

// --- queue ---

std::size_t HeadlessHost::queued() const {
    std::lock_guard lock(queue_lock_);
    return queue_.size();
}

std::size_t HeadlessHost::run_pending() {
    std::size_t n = queued();
    std::size_t done = 0;
    for (; done < n; ++done) {
        Posted p;
        {
            std::lock_guard lock(queue_lock_);
            if (queue_.empty()) break;
            p = queue_.front();
            queue_.pop_front();
        }
        if (dialog_) dialog_->OnMessage(p.message, p.wparam, p.lparam);
    }
    return done;
}

bool HeadlessHost::run_until(const std::function<bool()>& pred, Clock& clock,
                             std::int64_t max_ms) {
    std::int64_t start = clock.now_ms();
    for (;;) {
        run_pending();
        if (pred()) return true;
        if (clock.now_ms() - start >= max_ms) return false;
        clock.sleep_for(10);
    }
}

void HeadlessHost::post_message(unsigned message, std::uintptr_t wparam, std::intptr_t lparam) {
    std::lock_guard lock(queue_lock_);
    queue_.push_back({message, wparam, lparam});
}

// --- the operator ---

bool HeadlessHost::usable(int id, HeadlessControl*& c) {
    c = find(id);
    return c && c->enabled && dialog_ && !ended_;
}

bool HeadlessHost::click(int id) {
    HeadlessControl* c = nullptr;
    if (!usable(id, c)) return false;
    if (c->kind != ControlKind::push_button && c->kind != ControlKind::check_box) return false;
    focus_ = id;
    if (c->kind == ControlKind::check_box) c->checked = !c->checked;
    dialog_->OnCommand(id, DLG_BN_CLICKED);
    return true;
}

bool HeadlessHost::choose(int id, int row) {
    HeadlessControl* c = nullptr;
    if (!usable(id, c) || c->kind != ControlKind::drop_down_list) return false;
    if (row < 0 || row >= static_cast<int>(c->rows.size())) return false;
    focus_ = id;
    if (c->selection == row) return true;  // no change, no notification
    c->selection = row;
    dialog_->OnCommand(id, DLG_CBN_SELCHANGE);
    return true;
}

bool HeadlessHost::type_text(int id, std::u16string_view text) {
    HeadlessControl* c = nullptr;
    if (!usable(id, c) || !is_edit(*c) || (c->styles & CTL_READONLY)) return false;
    focus_ = id;
    std::size_t start = std::min(c->sel_start, c->text.size());
    std::size_t end = std::min(std::max(c->sel_end, start), c->text.size());
    std::size_t kept = c->text.size() - (end - start);
    if (c->limit > 0) {
        std::size_t room = static_cast<std::size_t>(c->limit) > kept ? c->limit - kept : 0;
        text = text.substr(0, room);
    }
    c->text.replace(start, end - start, text);
    c->sel_start = c->sel_end = start + text.size();
    c->line_breaks = count_line_breaks(c->text);
    c->modified = true;
    return true;
}

void HeadlessHost::press_enter() {
    if (!dialog_ || ended_) return;
    HeadlessControl* c = find(focus_);
    if (c && is_edit(*c) && (c->styles & CTL_WANTRETURN)) {
        type_text(focus_, u"\r\n");
        return;
    }
    if (c && c->kind == ControlKind::push_button) {
        click(focus_);
        return;
    }
    dialog_->OnCommand(DLG_IDOK, DLG_BN_CLICKED);
}

void HeadlessHost::press_escape() {
    if (dialog_ && !ended_) dialog_->OnCommand(DLG_IDCANCEL, DLG_BN_CLICKED);
}

void HeadlessHost::press_tab() {
    if (tab_order_.empty()) return;
    auto it = std::find(tab_order_.begin(), tab_order_.end(), focus_);
    std::size_t at = it == tab_order_.end() ? tab_order_.size() - 1 : it - tab_order_.begin();
    for (std::size_t step = 1; step <= tab_order_.size(); ++step) {
        int id = tab_order_[(at + step) % tab_order_.size()];
        if (controls_[id].enabled) {
            focus_ = id;
            return;
        }
    }
}

void HeadlessHost::close_box() {
    if (!dialog_ || ended_) return;
    DispatchResult r = dialog_->OnMessage(DLG_WM_SYSCOMMAND, DLG_SC_CLOSE, 0);
    if (!r.handled) dialog_->OnCommand(DLG_IDCANCEL, DLG_BN_CLICKED);
}

void HeadlessHost::choose_about_menu_item() {
    if (dialog_ && !ended_) dialog_->OnMessage(DLG_WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
}

// --- DialogHost: controls ---

void HeadlessHost::set_text(int id, const std::u16string& text) {
    HeadlessControl* c = find(id);
    if (!c) return;
    if (c->kind == ControlKind::drop_down_list) return;  // a drop-down list has no free text
    c->text = text;  // text set by the program is not cut to the limit
    c->modified = false;
    c->sel_start = c->sel_end = 0;
    c->top_line = 0;
    c->line_breaks = count_line_breaks(c->text);
    ++c->set_text_calls;
    if (edit_listener_ && is_edit(*c)) edit_listener_(id, EditChange::replaced, c->text);
}

std::u16string HeadlessHost::get_text(int id) {
    HeadlessControl* c = find(id);
    if (!c) return u"";
    if (c->kind == ControlKind::drop_down_list)
        return c->selection >= 0 ? c->rows[c->selection] : u"";
    return c->text;
}

void HeadlessHost::enable(int id, bool on) {
    if (HeadlessControl* c = find(id)) c->enabled = on;
}

bool HeadlessHost::is_enabled(int id) {
    HeadlessControl* c = find(id);
    return c && c->enabled;
}

void HeadlessHost::set_focus(int id) {
    if (find(id)) focus_ = id;
}

void HeadlessHost::list_reset(int id) {
    if (HeadlessControl* c = find(id)) {
        c->rows.clear();
        c->selection = -1;
    }
}

void HeadlessHost::list_add(int id, const std::u16string& row) {
    if (HeadlessControl* c = find(id)) c->rows.push_back(row);
}

void HeadlessHost::list_select(int id, int index) {
    HeadlessControl* c = find(id);
    if (!c) return;
    // An index outside the list leaves nothing selected.
    c->selection = index >= 0 && index < static_cast<int>(c->rows.size()) ? index : -1;
}

int HeadlessHost::list_selection(int id) {
    HeadlessControl* c = find(id);
    return c ? c->selection : -1;
}

void HeadlessHost::set_check(int id, bool checked) {
    if (HeadlessControl* c = find(id)) c->checked = checked;
}

bool HeadlessHost::get_check(int id) {
    HeadlessControl* c = find(id);
    return c && c->checked;
}

void HeadlessHost::limit_text(int id, int limit) {
    if (HeadlessControl* c = find(id)) c->limit = limit > 0 ? limit : 0;
}

void HeadlessHost::select_all(int id) {
    if (HeadlessControl* c = find(id)) {
        c->sel_start = 0;
        c->sel_end = c->text.size();
    }
}

void HeadlessHost::append_text(int id, const std::u16string& text) {
    HeadlessControl* c = find(id);
    if (!c || !is_edit(*c)) return;
    // Like a native edit, an append respects the length limit.
    std::u16string_view add(text);
    if (c->limit > 0) {
        std::size_t room =
            static_cast<std::size_t>(c->limit) > c->text.size() ? c->limit - c->text.size() : 0;
        add = add.substr(0, room);
    }
    if (!add.empty() && !c->text.empty() && c->text.back() == u'\r' && add.front() == u'\n')
        ++c->line_breaks;
    c->line_breaks += count_line_breaks(add);
    c->text.append(add);
    c->sel_start = c->sel_end = c->text.size();
    // Replacing the selection marks the edit as modified, as natively.
    c->modified = true;
    c->top_line = std::max(0, c->line_breaks);
    ++c->append_calls;
    if (edit_listener_) edit_listener_(id, EditChange::appended, add);
}

bool HeadlessHost::get_modify(int id) {
    HeadlessControl* c = find(id);
    return c && c->modified;
}

void HeadlessHost::set_modify(int id, bool modified) {
    if (HeadlessControl* c = find(id)) c->modified = modified;
}

int HeadlessHost::line_count(int id) {
    HeadlessControl* c = find(id);
    return c ? c->line_breaks + 1 : 0;
}

void HeadlessHost::line_scroll(int id, int lines) {
    if (HeadlessControl* c = find(id)) c->top_line = std::clamp(c->top_line + lines, 0, c->line_breaks);
}

// --- DialogHost: windows ---

int HeadlessHost::message_box(const std::u16string& text, const std::u16string& caption,
                              BoxIcon icon) {
    RecordedBox box{text, caption.empty() ? std::u16string(APP_NAME) : caption, icon};
    boxes_.push_back(box);
    if (box_listener_) box_listener_(box);
    if (box_replies_.empty()) return BOX_RESULT_OK;
    int reply = box_replies_.front();
    box_replies_.pop_front();
    return reply;
}

std::optional<std::u16string> HeadlessHost::pick_open_file(const FilePickRequest& request) {
    pick_requests_.push_back(request);
    if (picks_.empty()) return std::nullopt;
    std::optional<std::u16string> answer = picks_.front();
    picks_.pop_front();
    return answer;
}

void HeadlessHost::run_about_box() { ++about_runs_; }

void HeadlessHost::end_dialog(int result) {
    ended_ = true;
    end_result_ = result;
}
