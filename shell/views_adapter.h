// The main window's views as the codec sees them: lists, memos, spin edits and
// check boxes of the five tabs, the transcript pane and Memo12.
#pragma once

#include "codec/views.h"
#include "editors/editor_context.h"

class QListWidget;
class QPlainTextEdit;

class WindowViews : public vellumark::script_views {
public:
    explicit WindowViews(EditorContext& ctx) : ctx_(ctx) {}

    // ListBox1..ListBox11 by number.
    QListWidget* list(int n) const;
    QPlainTextEdit* memo(int n) const;

    std::int32_t spin_value(int spin) const override;
    bool check_state(int box) const override;
    int list_count(int list) const override;
    // Throws script_error when the row holds text the code page cannot store.
    std::string list_row(int list, int row) const override;
    std::string memo_line(int memo, int line) const override;

    void set_list(int list, const std::vector<std::string>& rows) override;
    void set_memo(int memo, const std::vector<std::string>& lines) override;
    void set_spin(int spin, std::int32_t value) override;
    void set_check(int box, bool checked) override;
    void append_memo12(const std::vector<std::string>& lines) override;
    void append_transcript(const std::vector<std::string>& lines) override;
    void slots_loaded(const vellumark::Ttombpcdat& doc) override;

    // Empties Memo12 and the transcript (start-up).
    void clear_appended();

private:
    EditorContext& ctx_;
};
