// Small helpers shared by the editors of the Levels, Fmv/CutScenes and
// Options tabs, the key-string memos and the add-level dialog.
#pragma once

#include <QString>

#include "editors/text.h"

class Dialogs;
class QLineEdit;
class QWidget;
class ScriptDocument;

// The message shown when typed or pasted text holds a character that a
// script cannot store; it names the code page.
QString unstorableTextMessage(const CodePage* page);
// The message shown when typed or pasted text would make an entry longer
// than a script string can be; %1 is the length it would have.
extern const QString kTooLongTextMessage;

// Makes an edit box hold only what a script string can store: at most 255
// characters, all of the document's code page. Other text is refused as it
// is typed, pasted or dropped, never cut, and each refusal is reported once
// through the dialogs (after the edit has finished its own handling). When
// the document's code page changes, the box shows its text as the same bytes
// in the new one.
void restrict_to_script_text(QLineEdit* edit, Dialogs& dialogs, const ScriptDocument& doc);

// Reports a refused input to the user once the widget has finished handling
// the event that brought it.
void reportRefusedInput(QWidget* widget, Dialogs& dialogs, const QString& message);

// "Slot#" followed by the row number, or "Slot#" alone for no row.
QString slot_caption(int row);
