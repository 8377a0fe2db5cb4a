#include "editors/list_edit.h"

#include <QItemSelectionModel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QSignalBlocker>
#include <QTimer>
#include <QValidator>

#include "codec/layout.h"
#include "editors/dialogs.h"
#include "editors/text.h"

const QString kUnstorableTextMessage = QStringLiteral(
    "This text holds a character that cannot be stored in a script. "
    "Only characters of the Windows-1252 code page can be used.");

namespace {

// Accepts only text that to_bytes() can store; reports each refusal.
class ScriptTextValidator : public QValidator {
public:
    ScriptTextValidator(QLineEdit* edit, EditorContext& ctx) : QValidator(edit), edit_(edit), ctx_(ctx) {}

    State validate(QString& input, int&) const override {
        if (to_bytes(input)) return Acceptable;
        report();
        return Invalid;
    }

private:
    // The edit is still inside its own change handling here, so the box is
    // shown once that has finished; refusals before then share one box.
    void report() const {
        if (pending_) return;
        pending_ = true;
        QPointer<QLineEdit> edit = edit_;
        EditorContext* ctx = &ctx_;
        const ScriptTextValidator* self = this;
        QTimer::singleShot(0, edit_, [edit, ctx, self] {
            if (!edit) return;
            self->pending_ = false;
            if (ctx->dialogs) ctx->dialogs->message(edit->window(), kUnstorableTextMessage);
        });
    }

    QLineEdit* edit_;
    EditorContext& ctx_;
    mutable bool pending_ = false;
};

}  // namespace

void restrict_to_script_text(QLineEdit* edit, EditorContext& ctx) {
    edit->setMaxLength(vellumark::layout::kMaxStringLength);
    edit->setValidator(new ScriptTextValidator(edit, ctx));
}

int selected_row(const QListWidget* list) {
    const QListWidgetItem* item = list->currentItem();
    if (item && item->isSelected()) return list->row(item);
    const auto items = list->selectedItems();
    return items.isEmpty() ? -1 : list->row(items.first());
}

void select_row_quietly(QListWidget* list, int row, bool whole_model) {
    const QSignalBlocker block(list);
    const QSignalBlocker block_model(whole_model ? list->selectionModel() : nullptr);
    if (row >= 0 && row < list->count()) {
        list->setCurrentRow(row);
    } else {
        list->clearSelection();
        list->setCurrentRow(-1);
    }
    if (whole_model) list->viewport()->update();
}

void remove_row_quietly(QListWidget* list, int row) {
    if (row < 0 || row >= list->count()) return;
    const QSignalBlocker block(list);
    const bool was_selected = selected_row(list) == row;
    delete list->takeItem(row);
    if (was_selected) {
        list->clearSelection();
        list->setCurrentRow(-1);
    }
}

QString slot_caption(int row) {
    return row < 0 ? QStringLiteral("Slot#") : QStringLiteral("Slot#%1").arg(row);
}
