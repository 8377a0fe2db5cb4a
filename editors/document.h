// The script document of the window: the record Ttombpcdat, the only truth,
// with the undo stack of every edit made to it. The tabs show it and turn
// user actions into the operations below; each operation is one undo step
// and each announces exactly what it changed through the signals, so that a
// view updates only that part.
#pragma once

#include <QObject>
#include <QString>
#include <QUndoStack>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "codec/codepage.h"
#include "codec/options.h"
#include "codec/tables.h"
#include "codec/tombpcdat.h"

namespace vellumark {
struct level_plan;
struct string_edit;
}

using Lines = std::vector<std::string>;  // script bytes, one string per entry

class ScriptDocument : public QObject {
    Q_OBJECT
public:
    explicit ScriptDocument(QObject* parent = nullptr);

    const vellumark::Ttombpcdat& record() const { return record_; }
    QUndoStack* undoStack() { return &undo_; }
    // Unsaved changes: the document differs from the last open or save.
    bool modified() const { return !undo_.isClean(); }

    // Replaces the whole document by a freshly read record; the undo stack
    // starts empty and clean.
    void load(vellumark::Ttombpcdat record);

    // A completed save wrote `saved`, the record as the file now holds it.
    // Whatever differs from the record in what the views show (slots, string
    // tables, the demo list) becomes one undo step; the counts, offsets and
    // flags the file holds are taken over; the stack is marked clean.
    void adoptSaved(vellumark::Ttombpcdat saved);

    // The code page the views show the record's bytes in: windows-1252 until
    // another is set (null only when the system's iconv gives no table at
    // all). Changing it changes no byte and makes no undo step: the views
    // show the same bytes anew (codePageChanged).
    vellumark::codepage::page codePage() const { return code_page_; }
    const vellumark::codepage::table* codePageTable() const { return code_page_table_; }
    void setCodePage(const vellumark::codepage::table& table);
    // Bytes of the record as text, and text back as bytes (nothing when a
    // character cannot be stored), in the document's code page.
    QString toText(std::string_view bytes) const;
    std::optional<std::string> toBytes(const QString& text) const;

    // ---- what the views show beside the record --------------------------
    // A slot appended by the add-level dialog is labelled "Script #n"; a
    // slot read from the file "Script#n". Both are intended.
    QString slotLabel(int slot) const;
    // The lines of the demo level list: each the level description at the
    // time the entry was made (a later rename does not change it).
    const Lines& demoTexts() const { return demo_texts_; }
    // "Single Level": shown from single_level at a load, toggled by the user,
    // never written.
    bool singleLevelBox() const { return single_level_box_; }

    // ---- operations: each is one undo step named by `text` ---------------
    // Replaces entries first .. first + count - 1 of a table by `lines`
    // (which may be longer or shorter). Consecutive edits of one key-string
    // line with the same text merge into one step.
    void replaceEntries(vellumark::table_id table, int first, int count, Lines lines, const QString& text);
    void setEntry(vellumark::table_id table, int row, std::string line, const QString& text) {
        replaceEntries(table, row, 1, {std::move(line)}, text);
    }
    // Edits of the same option made one after another merge.
    void setOption(vellumark::option_id option, std::int32_t value);
    void setFlag(std::uint16_t bit, bool on);
    void setSingleLevelBox(bool on);
    // Replaces slots first .. first + count - 1 by `values`; `added` says of
    // each new slot whether the add-level dialog made it.
    void replaceSlots(int first, int count, std::vector<vellumark::script_slot> values, const QString& text,
                      bool added = false);
    void setSlot(int slot, const vellumark::script_slot& value, const QString& text) {
        replaceSlots(slot, 1, {value}, text);
    }
    void setDemoLevels(std::vector<std::uint16_t> levels, Lines texts, const QString& text);
    // Movies of a PlayStation script, which keep one record each: entries
    // first .. first + count - 1 of the movie list and their records replaced
    // by `names` and `records` (one each). On the PC, only the names.
    void replaceMovies(int first, int count, Lines names, std::vector<vellumark::movie_record> records,
                       const QString& text);
    // One movie's record; edits of one record made one after another merge.
    void setMovieRecord(int movie, vellumark::movie_record value);
    // Takes every string table of `texts` that differs from the record's,
    // as one step (nothing when none differs).
    void replaceTables(const vellumark::Ttombpcdat& texts, const QString& text);
    // New bytes for some strings of any tables (a replace of the find
    // panel), as one step; nothing when `edits` is empty.
    void replaceStrings(const std::vector<vellumark::string_edit>& edits, const QString& text);
    // A step that changes nothing: the commands that count as an edit even
    // when they find nothing to change ("Replace" with no entry selected).
    void touch(const QString& text);

    // ---- level commands of the Levels tab -------------------------------
    // A description and file name always, the picture when it is not blank,
    // and one empty slot.
    void addLevel(const std::string& description, const std::string& file, const std::string& picture,
                  bool with_picture);
    // The last level, the last picture and the last slot.
    void deleteLastLevel();
    // Every level, picture and slot.
    void deleteAllLevels();

    // ---- level operations that keep every table in step ------------------
    // The codec plans each operation; every change of the plan becomes an
    // undo step of its own, all in one macro. The level's name, file, picture
    // (when there is one per level), slot and key-string lines move together;
    // "Play level", "Play demo level" and (when pictures move) "Show Chapter
    // screen" operands, demo entries and the copied slot follow.
    void moveLevel(int from, int to);
    // An empty level before `at` (at the end for the level count).
    void insertLevel(int at);
    // Commands that named the level name nothing; demo entries naming it go.
    void deleteLevel(int level);

    // ---- the commands of a slot -------------------------------------------
    // Each is one step; each throws script_error with the codec's message
    // ("A script slot holds at most 64 commands.") and changes nothing when
    // it cannot be done.
    void insertCommand(int slot, int at, const vellumark::script_command& command);
    void removeCommand(int slot, int line);
    void replaceCommand(int slot, int line, const vellumark::script_command& command);

    // The slot that "&Copy script slot" remembered, -1 for none. Not part of
    // the script and no step of its own: a load forgets it; a level operation
    // and its undo and redo carry it to the slot's new number (-1 when the
    // slot was deleted).
    int copiedSlot() const { return copied_slot_; }
    void setCopiedSlot(int slot) { copied_slot_ = slot; }

    // ---- for the undo commands only: change and announce ----------------
    void doReplaceEntries(vellumark::table_id table, int first, int count, const Lines& lines);
    void doSetOption(vellumark::option_id option, std::int32_t value);
    void doSetFlag(std::uint16_t bit, bool on);
    void doSetSingleLevelBox(bool on);
    void doReplaceSlots(int first, int count, const std::vector<vellumark::script_slot>& values,
                        const std::vector<char>& added);
    void doSetDemoLevels(const std::vector<std::uint16_t>& levels, const Lines& texts);
    // Moves an entry of a table, or a slot for no table.
    void doMove(std::optional<vellumark::table_id> table, int from, int to);
    void doReplaceMovieRecords(int first, int count, const std::vector<vellumark::movie_record>& records);
    const std::vector<char>& slotsAdded() const { return slot_added_; }

signals:
    // A load replaced everything.
    void reset();
    // Entries first .. first + removed - 1 were replaced by `inserted` entries.
    void entriesReplaced(vellumark::table_id table, int first, int removed, int inserted);
    void optionChanged(vellumark::option_id option);
    void flagsChanged();
    void singleLevelBoxChanged();
    // Slots first .. first + removed - 1 were replaced by `inserted` slots.
    void slotsReplaced(int first, int removed, int inserted);
    // An entry, or a slot, moved; the ones between shifted by one.
    void entryMoved(vellumark::table_id table, int from, int to);
    void slotMoved(int from, int to);
    void demoLevelsChanged();
    // Records first .. first + removed - 1 were replaced by `inserted` records.
    void movieRecordsChanged(int first, int removed, int inserted);
    void modifiedChanged(bool modified);
    // The same bytes are to be shown in another code page; `before` is the
    // one they were shown in.
    void codePageChanged(const vellumark::codepage::table* before);

private:
    // Adds to `step` the changes that make every string table of the record
    // equal to the one of `target`: per table, the run from the first entry
    // that differs to the last.
    void addTableChanges(const vellumark::Ttombpcdat& target, QUndoCommand* step);

    // Records the changes of a level operation as one step named `text`.
    void recordLevelPlan(const vellumark::level_plan& plan, const QString& text);
    // One slot of the record, edited by `edit`, as one step named `text`.
    template <class Edit>
    void editSlot(int slot, const QString& text, Edit edit);

    vellumark::Ttombpcdat record_;
    std::vector<char> slot_added_;  // per slot: made by the add-level dialog
    Lines demo_texts_;
    bool single_level_box_ = false;
    int copied_slot_ = -1;
    vellumark::codepage::page code_page_ = vellumark::codepage::kDefaultPage;
    const vellumark::codepage::table* code_page_table_ = vellumark::codepage::find(vellumark::codepage::kDefaultPage);
    QUndoStack undo_;
};
