#include "editors/list_edit.h"

#include <QLineEdit>
#include <QPointer>
#include <QTimer>
#include <QValidator>

#include "codec/layout.h"
#include "editors/dialogs.h"
#include "editors/document.h"

QString unstorableTextMessage(const CodePage* page) {
    return QStringLiteral(
               "This text holds a character that cannot be stored in a script. "
               "Only characters of the %1 code page can be used.")
        .arg(codePageName(page));
}

const QString kTooLongTextMessage =
    QStringLiteral("A script string holds at most 255 characters; this text would have %1.");

namespace {

// Accepts only text that the document's code page can store in at most 255
// bytes.
class ScriptTextValidator : public QValidator {
public:
    ScriptTextValidator(QLineEdit* edit, Dialogs& dialogs, const ScriptDocument& doc)
        : QValidator(edit), edit_(edit), dialogs_(dialogs), doc_(doc) {
        // The same bytes in the new code page.
        connect(&doc, &ScriptDocument::codePageChanged, this, [this](const CodePage* before) {
            if (const auto bytes = to_bytes(edit_->text(), before)) edit_->setText(doc_.toText(*bytes));
        });
    }

    State validate(QString& input, int&) const override {
        const auto bytes = doc_.toBytes(input);
        if (!bytes) {
            reportRefusedInput(edit_, dialogs_, unstorableTextMessage(doc_.codePageTable()));
            return Invalid;
        }
        if (bytes->size() > std::size_t(vellumark::layout::kMaxStringLength)) {
            reportRefusedInput(edit_, dialogs_, kTooLongTextMessage.arg(bytes->size()));
            return Invalid;
        }
        return Acceptable;
    }

private:
    QLineEdit* edit_;
    Dialogs& dialogs_;
    const ScriptDocument& doc_;
};

}  // namespace

void reportRefusedInput(QWidget* widget, Dialogs& dialogs, const QString& message) {
    // The widget is still inside its own event handling here, so the box is
    // shown once that has finished; refusals before then share one box.
    static QPointer<QWidget> pending;
    if (pending == widget) return;
    pending = widget;
    QPointer<QWidget> target = widget;
    Dialogs* d = &dialogs;
    QTimer::singleShot(0, widget, [target, d, message] {
        pending = nullptr;
        if (target) d->message(target->window(), message);
    });
}

void restrict_to_script_text(QLineEdit* edit, Dialogs& dialogs, const ScriptDocument& doc) {
    edit->setValidator(new ScriptTextValidator(edit, dialogs, doc));
}

QString slot_caption(int row) {
    return row < 0 ? QStringLiteral("Slot#") : QStringLiteral("Slot#%1").arg(row);
}
