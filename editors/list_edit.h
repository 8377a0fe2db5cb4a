// Small helpers shared by the list editors of the Levels, Fmv/CutScenes and
// Options tabs and the add-level dialog.
#pragma once

#include <QString>

#include "editors/editor_context.h"

class QLineEdit;
class QListWidget;

// The message shown when typed or pasted text holds a character that a
// script cannot store.
extern const QString kUnstorableTextMessage;

// Makes an edit box hold only what a script string can store: at most 255
// characters, all of the windows-1252 code page. Other text is refused as it
// is typed, pasted or dropped, and a refused insertion is reported once
// through ctx.dialogs (after the edit has finished its own handling).
void restrict_to_script_text(QLineEdit* edit, EditorContext& ctx);

// The row of the selected entry, or -1 when nothing is selected.
int selected_row(const QListWidget* list);

// Removes one row without running the list's selection handling. When the
// removed row was the selected one, the list is left without a selection.
void remove_row_quietly(QListWidget* list, int row);

// Selects a row (or nothing, for -1) without running the list's selection
// handling; the view still shows the new selection. With whole_model, the
// selection model's own signals are held back too, for lists whose handling
// may hang on those.
void select_row_quietly(QListWidget* list, int row, bool whole_model = false);

// "Slot#" followed by the row number, or "Slot#" alone for no row.
QString slot_caption(int row);
