#include "shell/remembered_code_pages.h"

#include <QSettings>
#include <algorithm>
#include <vector>

#include "shell/recent_files.h"
#include "shell/settings_store.h"

namespace {

const QString kGroup = QStringLiteral("Form1.CodePages");

struct chosen_code_page {
    FileName file;
    QString page;
};

std::vector<chosen_code_page> read_all(QSettings& store) {
    std::vector<chosen_code_page> out;
    const int n = store.beginReadArray(kGroup);
    for (int i = 0; i < n && i < RememberedCodePages::kMaxEntries; ++i) {
        store.setArrayIndex(i);
        out.push_back({fileNameFromStore(store.value(QStringLiteral("File"))),
                       store.value(QStringLiteral("CodePage")).toString()});
    }
    store.endArray();
    return out;
}

}  // namespace

vellumark::codepage::page RememberedCodePages::pageOf(const FileName& file) const {
    const auto store = openSettingsStore();
    for (const chosen_code_page& c : read_all(*store))
        if (same_recent_path(c.file, file))
            return vellumark::codepage::parse_name(c.page.toStdString()).value_or(vellumark::codepage::kDefaultPage);
    return vellumark::codepage::kDefaultPage;
}

void RememberedCodePages::remember(const FileName& file, vellumark::codepage::page page) {
    const auto store = openSettingsStore();
    std::vector<chosen_code_page> all = read_all(*store);
    const QString name = QString::fromStdString(vellumark::codepage::name(page));
    const auto same = [&file](const chosen_code_page& c) { return same_recent_path(c.file, file); };
    const auto at = std::find_if(all.begin(), all.end(), same);
    // Nothing to change: windows-1252 for a file not listed, or the same
    // choice at the head of the list.
    if (page == vellumark::codepage::kDefaultPage ? at == all.end()
                                                  : at != all.end() && at == all.begin() && at->page == name)
        return;
    all.erase(std::remove_if(all.begin(), all.end(), same), all.end());
    if (page != vellumark::codepage::kDefaultPage) all.insert(all.begin(), {file, name});
    if (all.size() > std::size_t(kMaxEntries)) all.resize(std::size_t(kMaxEntries));
    store->remove(kGroup);
    store->beginWriteArray(kGroup, int(all.size()));
    for (int i = 0; i < int(all.size()); ++i) {
        store->setArrayIndex(i);
        store->setValue(QStringLiteral("File"), storedFileName(all[std::size_t(i)].file));
        store->setValue(QStringLiteral("CodePage"), all[std::size_t(i)].page);
    }
    store->endArray();
    store->sync();
}
