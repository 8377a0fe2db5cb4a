#include "shell/settings_store.h"

#include <QSettings>

#include "editors/dialogs.h"

namespace {

QString& store_file_override() {
    static QString path;
    return path;
}

}  // namespace

void setSettingsStoreFile(const QString& path) { store_file_override() = path; }

std::unique_ptr<QSettings> openSettingsStore() {
    if (!store_file_override().isEmpty())
        return std::make_unique<QSettings>(store_file_override(), QSettings::IniFormat);
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, application_title(),
                                       application_title());
}
