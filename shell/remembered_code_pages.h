// The code page chosen for each file, so that the next open of the file shows
// its texts in it: kept in the settings store, group "Form1.CodePages", an
// array of File and CodePage, most recent first, at most 100 files. A file
// read in windows-1252 is not listed. Every call reads the store anew and a
// change is written at once, so that two windows never undo each other's
// choices.
#pragma once

#include "codec/codepage.h"
#include "editors/file_name.h"

class RememberedCodePages {
public:
    static constexpr int kMaxEntries = 100;

    // The code page last chosen for the file; windows-1252 when none was.
    vellumark::codepage::page pageOf(const FileName& file) const;
    // Puts the file at the head of the list with its code page; windows-1252
    // takes it off the list.
    void remember(const FileName& file, vellumark::codepage::page page);
};
