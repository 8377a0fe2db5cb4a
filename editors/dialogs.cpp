#include "editors/dialogs.h"

#include <QColorDialog>
#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

QString application_title() {
    QString name = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    if (name.isEmpty()) name = QStringLiteral("vellumark");
    const int dot = name.indexOf(QLatin1Char('.'));
    return dot >= 0 ? name.left(dot) : name;
}

void QtDialogs::message(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, application_title(), text, QMessageBox::Ok, parent);
    box.exec();
}

void QtDialogs::information(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Information, application_title(), text, QMessageBox::Ok, parent);
    box.exec();
}

void QtDialogs::error(QWidget* parent, const QString& caption, const QString& text) {
    QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok, parent);
    box.exec();
}

bool QtDialogs::confirm(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("Confirm"), text,
                    QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() != QMessageBox::No;
}

SaveChoice QtDialogs::askToSave(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Warning, application_title(), text,
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent);
    box.setDefaultButton(QMessageBox::Save);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Save: return SaveChoice::Save;
    case QMessageBox::Discard: return SaveChoice::Discard;
    default: return SaveChoice::Cancel;
    }
}

// The dialogs answer URLs, which keep the bytes of a name that is not valid
// UTF-8 where the platform's dialog gives them (getOpenFileName would decode
// them); local files only, as getOpenFileName allows.
FileName QtDialogs::openFileName(QWidget* parent, const QString& filter) {
    return fileNameOf(QFileDialog::getOpenFileUrl(parent, QString(), QUrl(), filter, nullptr, {},
                                                  {QStringLiteral("file")}));
}

FileName QtDialogs::saveFileName(QWidget* parent, const QString& filter, const FileName& lastName) {
    // No confirmation before an existing file is replaced, no default extension.
    return fileNameOf(QFileDialog::getSaveFileUrl(parent, QString(), urlOf(lastName), filter, nullptr,
                                                  QFileDialog::DontConfirmOverwrite, {QStringLiteral("file")}));
}

std::optional<int> QtDialogs::number(QWidget* parent, const QString& title, const QString& label, int value,
                                     int min, int max) {
    bool ok = false;
    const int n = QInputDialog::getInt(parent, title, label, value, min, max, 1, &ok);
    return ok ? std::optional<int>(n) : std::nullopt;
}

void add_help_button(QColorDialog& dialog, const std::function<void()>& help) {
    // Qt's dialog keeps its buttons in one button box, which takes a Help
    // button like any other.
    auto* box = dialog.findChild<QDialogButtonBox*>();
    if (!box) return;
    box->addButton(QDialogButtonBox::Help);
    QObject::connect(box, &QDialogButtonBox::helpRequested, &dialog, [help] { help(); });
}

QColor QtDialogs::color(QWidget* parent, const QColor& initial, const std::function<void()>& help) {
    QColorDialog dialog(initial, parent);
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    add_help_button(dialog, help);
    return dialog.exec() == QDialog::Accepted ? dialog.selectedColor() : QColor();
}

int QtDialogs::exec(QDialog* dialog) { return dialog->exec(); }
