// A DialogHost in memory, for orvane-cli and the tests: the controls of the
// main window with their text, enabled state, lists, checks and the edit
// semantics of the native controls (length limit for typing and appending,
// selection, modified flag, line count); a window-thread queue for posted
// messages; message boxes and the file picker answered from a script and
// recorded.
//
// Every call except post_message belongs to one thread, the window thread.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/control_table.h"
#include "ui/dialog.h"
#include "ui/dialog_host.h"

class Clock;

struct HeadlessControl {
    int id = 0;
    ControlKind kind = ControlKind::label;
    std::uint32_t styles = 0;
    std::u16string text;  // caption of a button, text of an edit
    bool enabled = true;
    // Drop-down lists.
    std::vector<std::u16string> rows;
    int selection = -1;
    // Check boxes.
    bool checked = false;
    // Edits.
    int limit = 32767;  // typing and appending stop here; 0: no limit
    bool modified = false;
    std::size_t sel_start = 0, sel_end = 0;
    int line_breaks = 0;  // "\r\n" pairs in text
    int top_line = 0;     // first visible line after scrolling
    // How often the program set the whole text, and appended to it.
    int set_text_calls = 0;
    int append_calls = 0;
};

struct RecordedBox {
    std::u16string text;
    std::u16string caption;  // as shown: the application's name when none was given
    BoxIcon icon;
};

enum class EditChange { replaced, appended };

class HeadlessHost final : public DialogHost {
public:
    HeadlessHost();

    // Creates the window of the dialog: OnInitDialog runs, and the focus
    // goes to the first control in tab order when it returns nonzero.
    void open(CDialogEx& dialog);
    bool ended() const { return ended_; }
    int end_result() const { return end_result_; }

    // --- the window thread's queue ---
    // Handles the posted messages waiting now, in posting order; returns
    // how many.
    std::size_t run_pending();
    // Handles posted messages until pred holds or max_ms of clock time have
    // passed, sleeping the clock 10 ms between rounds. True when pred held.
    bool run_until(const std::function<bool()>& pred, Clock& clock, std::int64_t max_ms);
    std::size_t queued() const;

    // --- the operator ---
    // Each acts only on an enabled control, as a window system does; false
    // when the input went nowhere.
    bool click(int id);                  // push button or check box
    bool choose(int id, int row);        // a row of a drop-down list
    bool type_text(int id, std::u16string_view text);  // replaces the selection
    void press_enter();                  // on the focused control
    void press_escape();
    void press_tab();
    void close_box();
    void choose_about_menu_item();

    // --- scripts and records ---
    void push_box_reply(int reply) { box_replies_.push_back(reply); }
    const std::vector<RecordedBox>& boxes() const { return boxes_; }
    void clear_boxes() { boxes_.clear(); }
    // Called for each box as it is shown (the CLI prints it).
    void set_box_listener(std::function<void(const RecordedBox&)> listener) {
        box_listener_ = std::move(listener);
    }
    // The next picker run returns this (nothing: cancelled).
    void push_file_pick(std::optional<std::u16string> answer) {
        picks_.push_back(std::move(answer));
    }
    const std::vector<FilePickRequest>& pick_requests() const { return pick_requests_; }
    int about_box_runs() const { return about_runs_; }
    // Called whenever the program replaces or appends to an edit's text (the
    // CLI streams the output pane with it).
    void set_edit_listener(std::function<void(int id, EditChange change, std::u16string_view text)>
                               listener) {
        edit_listener_ = std::move(listener);
    }

    // --- inspection ---
    const HeadlessControl& control(int id) const;
    bool has_control(int id) const { return controls_.count(id) != 0; }
    int focus() const { return focus_; }
    // Calls made with an id the window does not have.
    int unknown_id_calls() const { return unknown_id_calls_; }

    // --- DialogHost ---
    void set_text(int id, const std::u16string& text) override;
    std::u16string get_text(int id) override;
    void enable(int id, bool on) override;
    bool is_enabled(int id) override;
    void set_focus(int id) override;
    void list_reset(int id) override;
    void list_add(int id, const std::u16string& row) override;
    void list_select(int id, int index) override;
    int list_selection(int id) override;
    void set_check(int id, bool checked) override;
    bool get_check(int id) override;
    void limit_text(int id, int limit) override;
    void select_all(int id) override;
    void append_text(int id, const std::u16string& text) override;
    bool get_modify(int id) override;
    void set_modify(int id, bool modified) override;
    int line_count(int id) override;
    void line_scroll(int id, int lines) override;
    int message_box(const std::u16string& text, const std::u16string& caption,
                    BoxIcon icon) override;
    std::optional<std::u16string> pick_open_file(const FilePickRequest& request) override;
    void run_about_box() override;
    void post_message(unsigned message, std::uintptr_t wparam, std::intptr_t lparam) override;
    void end_dialog(int result) override;

private:
    struct Posted {
        unsigned message;
        std::uintptr_t wparam;
        std::intptr_t lparam;
    };
    HeadlessControl* find(int id);
    bool usable(int id, HeadlessControl*& c);

    std::map<int, HeadlessControl> controls_;
    std::vector<int> tab_order_;
    CDialogEx* dialog_ = nullptr;
    bool ended_ = false;
    int end_result_ = 0;
    int focus_ = 0;
    int unknown_id_calls_ = 0;
    HeadlessControl nowhere_;

    mutable std::mutex queue_lock_;
    std::deque<Posted> queue_;

    std::deque<int> box_replies_;
    std::vector<RecordedBox> boxes_;
    std::function<void(const RecordedBox&)> box_listener_;
    std::deque<std::optional<std::u16string>> picks_;
    std::vector<FilePickRequest> pick_requests_;
    int about_runs_ = 0;
    std::function<void(int, EditChange, std::u16string_view)> edit_listener_;
};
