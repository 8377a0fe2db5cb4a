// A fixture with the real main window, answered by scripted dialogs, its
// recent-files store in a temporary folder, and helpers that write generated
// scripts there and open them.
#pragma once

#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <ostream>
#include <vector>

#include "shell/Unit1.h"
#include "support/scripted_dialogs.h"
#include "tests/samples/sample_scripts.h"

// Readable QStrings in failure messages.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        TForm1::set_settings_file(dir.filePath(QStringLiteral("settings.ini")));
        form = std::make_unique<TForm1>(dialogs);
        dialogs.clear();
    }

    void TearDown() override {
        form.reset();
        TForm1::set_settings_file({});
        TForm1::set_skin_file({});
    }

    // Ends this run (writing the recent-files list) and starts a new window;
    // `dialogs` then holds what the new window showed while it started.
    void restart() {
        form.reset();
        dialogs.clear();
        form = std::make_unique<TForm1>(dialogs);
    }

    QString path(const QString& name) const { return dir.filePath(name); }

    // Writes the bytes to a file in the temporary folder; returns its path.
    QString write_sample(const QString& name, const std::vector<std::uint8_t>& bytes) const {
        const QString p = path(name);
        vellumark::samples::write_file(p.toStdString(), bytes);
        return p;
    }

    // Writes a generated script and opens it through "&Open".
    QString open_sample(const QString& name, const std::vector<std::uint8_t>& bytes) {
        const QString p = write_sample(name, bytes);
        open_path(p);
        return p;
    }

    void open_path(const QString& p) {
        dialogs.fileNames.push_back(p);
        form->Open1Click();
    }

    static std::vector<std::uint8_t> small_script(unsigned seed = 1, int levels = 3) {
        return vellumark::samples::file_bytes(vellumark::samples::make_document(seed, levels));
    }

    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    std::unique_ptr<TForm1> form;
};
