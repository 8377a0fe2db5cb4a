#include "editors/dialogs.h"

#include <QColorDialog>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

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

QString QtDialogs::openFileName(QWidget* parent, const QString& filter, const QString& dir) {
    return QFileDialog::getOpenFileName(parent, QString(), dir, filter);
}

QString QtDialogs::saveFileName(QWidget* parent, const QString& filter, const QString& lastName) {
    // No confirmation before an existing file is replaced, no default extension.
    return QFileDialog::getSaveFileName(parent, QString(), lastName, filter, nullptr,
                                        QFileDialog::DontConfirmOverwrite);
}

std::optional<int> QtDialogs::choice(QWidget* parent, const QString& title, const QString& label,
                                     const QStringList& items, int current) {
    QInputDialog dialog(parent);
    dialog.setWindowTitle(title);
    dialog.setLabelText(label);
    dialog.setComboBoxItems(items);
    dialog.setComboBoxEditable(false);
    if (current >= 0 && current < items.size()) dialog.setTextValue(items[current]);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    // The items may repeat: the index is the combo box's own.
    auto* box = dialog.findChild<QComboBox*>();
    const int at = box ? box->currentIndex() : int(items.indexOf(dialog.textValue()));
    return at >= 0 ? std::optional<int>(at) : std::nullopt;
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
    // Modal to the main window only: the help window its Help button opens
    // (a window of its own) takes input while the dialog is open.
    dialog.setWindowModality(Qt::WindowModal);
    return dialog.exec() == QDialog::Accepted ? dialog.selectedColor() : QColor();
}

void QtDialogs::exec(QDialog* dialog) { dialog->exec(); }
