// The settings store of the recent-files list and the remembered code pages:
// an INI file in the user's configuration folder, named for the program, or
// a file that the tests name.
#pragma once

#include <QString>
#include <memory>

class QSettings;

std::unique_ptr<QSettings> openSettingsStore();

// Where the store is kept instead of the user's configuration folder (tests).
// Empty for the default.
void setSettingsStoreFile(const QString& path);
