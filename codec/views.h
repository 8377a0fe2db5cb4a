// The seam between the codec and whatever shows the document.
//
// The document lives in two places: the record Ttombpcdat and the views (the
// main window's lists, memos, spin edits and check boxes, or the in-memory
// twin below). Opening pushes a parsed record into the views; saving pulls
// the views back into the record.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "tombpcdat.h"

namespace vellumark {

// List numbers are those of the main window: 1..11 for ListBox1..ListBox11.
// Memo numbers 1..10 are the key-string memos. Spin numbers 1..9 are the
// option values; check boxes 1..10. All text is script bytes (windows-1252).
class script_views {
public:
    virtual ~script_views() = default;

    // --- what the writer asks ---------------------------------------------
    // Value of SpinEdit1..SpinEdit9 (text that is not a whole number is 0).
    virtual std::int32_t spin_value(int spin) const = 0;
    // Checked state of CheckBox2..CheckBox10.
    virtual bool check_state(int box) const = 0;
    // Item count and row text of ListBox1..ListBox8 and ListBox11.
    virtual int list_count(int list) const = 0;
    virtual std::string list_row(int list, int row) const = 0;
    // Line of Memo1..Memo10; empty past the last line.
    virtual std::string memo_line(int memo, int line) const = 0;

    // --- what the loader pushes, in this order -------------------------------
    // Replaces the whole content of ListBox1..ListBox11 (9: slot labels).
    virtual void set_list(int list, const std::vector<std::string>& rows) = 0;
    // Replaces the lines of Memo1..Memo10.
    virtual void set_memo(int memo, const std::vector<std::string>& lines) = 0;
    virtual void set_spin(int spin, std::int32_t value) = 0;
    virtual void set_check(int box, bool checked) = 0;
    // Appends to Memo12 (the one-byte description lines) and the transcript.
    virtual void append_memo12(const std::vector<std::string>& lines) = 0;
    virtual void append_transcript(const std::vector<std::string>& lines) = 0;
    // The slots are in the record: select slot 0 and list it.
    virtual void slots_loaded(const Ttombpcdat& doc) = 0;
};

// Everything a load appends to the transcript, in order: the banner, one
// one-byte description line per level, the picture, title, movie, level file
// and cut-scene names, one "Script#n" line per slot, the demo level
// descriptions, the game strings.
std::vector<std::string> transcript_lines(const Ttombpcdat& doc);

// The one-byte description lines of Memo12 (an empty line past level 256).
std::vector<std::string> memo12_lines(const Ttombpcdat& doc);

// Pushes a parsed record into the views in the order of a load.
void push_to_views(const Ttombpcdat& doc, script_views& views);

// The in-memory twin of the main window's views, answering from plain
// containers. The command-line companion and the codec tests use it.
class memory_views : public script_views {
public:
    std::array<std::vector<std::string>, 12> lists;   // [1]..[11]
    std::array<std::vector<std::string>, 11> memos;   // [1]..[10]
    std::array<std::int32_t, 10> spins{};            // [1]..[9]
    std::array<bool, 11> checks{};                   // [1]..[10]
    std::vector<std::string> memo12;
    std::vector<std::string> transcript;
    int selected_slot = -1;

    std::int32_t spin_value(int spin) const override;
    bool check_state(int box) const override;
    int list_count(int list) const override;
    std::string list_row(int list, int row) const override;
    std::string memo_line(int memo, int line) const override;

    void set_list(int list, const std::vector<std::string>& rows) override;
    void set_memo(int memo, const std::vector<std::string>& lines) override;
    void set_spin(int spin, std::int32_t value) override;
    void set_check(int box, bool checked) override;
    void append_memo12(const std::vector<std::string>& lines) override;
    void append_transcript(const std::vector<std::string>& lines) override;
    void slots_loaded(const Ttombpcdat& doc) override;
};

}  // namespace vellumark
