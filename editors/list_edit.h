// Small helpers shared by the list editors of the Levels, Fmv/CutScenes and
// Options tabs, the key-string memos and the add-level dialog.
#pragma once

#include <QString>

#include "codec/codepage.h"
#include "codec/tables.h"

class Dialogs;
class QLineEdit;
class QListWidget;
class QWidget;
class ScriptDocument;

// The message shown when typed or pasted text holds a character that a
// script cannot store; it names the code page in use.
QString unstorableTextMessage();
// The message shown when typed or pasted text would make an entry longer
// than a script string can be; %1 is the length it would have.
extern const QString kTooLongTextMessage;

// Makes an edit box hold only what a script string can store: at most 255
// characters, all of the code page in use. Other text is refused as it
// is typed, pasted or dropped, never cut, and each refusal is reported once
// through the dialogs (after the edit has finished its own handling).
void restrict_to_script_text(QLineEdit* edit, Dialogs& dialogs);

// Shows the text of every edit box under root that restrict_to_script_text()
// governs as the same bytes in the code page now in use; `before` is the code
// page the text was shown in.
void reshowScriptText(QWidget* root, const vellumark::codepage::table* before);

// Reports a refused input to the user once the widget has finished handling
// the event that brought it.
void reportRefusedInput(QWidget* widget, Dialogs& dialogs, const QString& message);

// Makes the list show one table of the document and keeps it up to date.
void showTable(QListWidget* list, ScriptDocument& doc, vellumark::table_id table);

// Makes a list show whole entries, one line each: it scrolls sideways when
// an entry is wider than the list. Its rows all take the size of the widest
// entry, found again after each change of the list or of its font.
void showWholeEntries(QListWidget* list);

// The row of the selected entry, or -1 when nothing is selected.
int selected_row(const QListWidget* list);

// Selects a row (or nothing, for -1) without running the list's selection
// handling; the view still shows the new selection. With whole_model, the
// selection model's own signals are held back too, for lists whose handling
// may hang on those.
void select_row_quietly(QListWidget* list, int row, bool whole_model = false);

// "Slot#" followed by the row number, or "Slot#" alone for no row.
QString slot_caption(int row);
