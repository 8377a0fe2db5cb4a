// What the tab editors share: the script document with its two companions,
// the dialogs, and the tabs themselves (each tab reaches the others' views
// through here). The main window owns one for the whole run.
#pragma once

#include "codec/tombpcdat.h"

class Dialogs;
class LevelsTab;
class MediaTab;
class OptionsTab;
class ScriptTab;
class KeyStringsTab;

struct EditorContext {
    vellumark::Ttombpcdat doc;  // the script document
    bool modified = false;      // unsaved changes
    int copied_slot = -1;       // slot remembered by "&Copy script slot"
    Dialogs* dialogs = nullptr;

    LevelsTab* levels = nullptr;
    MediaTab* media = nullptr;
    OptionsTab* options = nullptr;
    ScriptTab* script = nullptr;
    KeyStringsTab* keys = nullptr;

    void setModified() { modified = true; }
};
