#include "editors/list_edit.h"

#include <QAbstractItemDelegate>
#include <QEvent>
#include <QFontMetrics>
#include <QItemSelectionModel>
#include <QStyleOptionViewItem>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QSignalBlocker>
#include <QTimer>
#include <QValidator>
#include <algorithm>
#include <functional>
#include <vector>

#include "codec/layout.h"
#include "editors/dialogs.h"
#include "editors/document.h"
#include "editors/text.h"

QString unstorableTextMessage() {
    return QStringLiteral(
               "This text holds a character that cannot be stored in a script. "
               "Only characters of the %1 code page can be used.")
        .arg(textCodePageName());
}

const QString kTooLongTextMessage =
    QStringLiteral("A script string holds at most 255 characters; this text would have %1.");

namespace {

// Accepts only text that to_bytes() can store in at most 255 bytes.
class ScriptTextValidator : public QValidator {
public:
    ScriptTextValidator(QLineEdit* edit, Dialogs& dialogs) : QValidator(edit), edit_(edit), dialogs_(dialogs) {}

    State validate(QString& input, int&) const override {
        const auto bytes = to_bytes(input);
        if (!bytes) {
            reportRefusedInput(edit_, dialogs_, unstorableTextMessage());
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
};

// Keeps a list box showing one table.
class TableList : public QObject {
public:
    TableList(QListWidget* list, ScriptDocument& doc, vellumark::table_id table)
        : QObject(list), list_(list), doc_(doc), table_(table) {
        connect(&doc, &ScriptDocument::reset, this, &TableList::refill);
        connect(&doc, &ScriptDocument::entriesReplaced, this, &TableList::replaced);
        connect(&doc, &ScriptDocument::entryMoved, this, &TableList::moved);
        connect(&doc, &ScriptDocument::codePageChanged, this, &TableList::reshow);
    }

private:
    const Lines& strings() const { return vellumark::table(doc_.record(), table_).strings; }

    void refill() {
        const QSignalBlocker block(list_);
        const bool updates = list_->updatesEnabled();
        list_->setUpdatesEnabled(false);
        list_->clear();
        QStringList rows;
        rows.reserve(qsizetype(strings().size()));
        for (const auto& s : strings()) rows.append(to_text(s));
        list_->addItems(rows);
        list_->setUpdatesEnabled(updates);
    }

    // The same entries in another code page: row by row, so that the
    // selection stays.
    void reshow() {
        const QSignalBlocker block(list_);
        const int n = std::min(list_->count(), int(strings().size()));
        for (int i = 0; i < n; ++i) list_->item(i)->setText(to_text(strings()[std::size_t(i)]));
    }

    void replaced(vellumark::table_id table, int first, int removed, int inserted) {
        if (table != table_) return;
        const QSignalBlocker block(list_);
        const int common = std::min(removed, inserted);
        // A removed entry that was selected leaves the list without a selection.
        const int selected = selected_row(list_);
        const bool loses_selection = selected >= first + common && selected < first + removed;
        for (int i = first; i < first + common; ++i) list_->item(i)->setText(to_text(strings()[std::size_t(i)]));
        for (int i = first + removed - 1; i >= first + common; --i) delete list_->takeItem(i);
        if (inserted > common) {
            QStringList rows;
            for (int i = first + common; i < first + inserted; ++i) rows.append(to_text(strings()[std::size_t(i)]));
            list_->insertItems(first + common, rows);
        }
        if (loses_selection) {
            list_->clearSelection();
            list_->setCurrentRow(-1);
        }
    }

    // The selection stays on the entry it was on.
    void moved(vellumark::table_id table, int from, int to) {
        if (table != table_) return;
        const QSignalBlocker block(list_);
        const int selected = selected_row(list_);
        list_->insertItem(to, list_->takeItem(from));
        const int lo = std::min(from, to), hi = std::max(from, to);
        if (selected < lo || selected > hi) {
            select_row_quietly(list_, selected);
        } else {
            select_row_quietly(list_, selected == from ? to : selected + (from < to ? -1 : 1));
        }
    }

    QListWidget* list_;
    ScriptDocument& doc_;
    vellumark::table_id table_;
};

}  // namespace

// Sizes the rows of a list with uniform item sizes to its widest entry: the
// view takes every row's size from the first one. Runs once after the
// changes of one event.
class WholeEntries : public QObject {
public:
    explicit WholeEntries(QListWidget* list) : QObject(list), list_(list) {
        list->setTextElideMode(Qt::ElideNone);
        list->setUniformItemSizes(true);
        const auto schedule = [this] {
            if (pending_) return;
            pending_ = true;
            QTimer::singleShot(0, this, [this] { fit(); });
        };
        connect(list->model(), &QAbstractItemModel::rowsInserted, this, schedule);
        connect(list->model(), &QAbstractItemModel::rowsRemoved, this, schedule);
        connect(list->model(), &QAbstractItemModel::rowsMoved, this, schedule);
        connect(list->model(), &QAbstractItemModel::modelReset, this, schedule);
        connect(list->model(), &QAbstractItemModel::dataChanged, this,
                [schedule](const QModelIndex&, const QModelIndex&, const QList<int>& roles) {
                    if (roles.isEmpty() || roles.contains(Qt::DisplayRole)) schedule();
                });
        list->installEventFilter(this);
    }

    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::FontChange) fit();
        return false;
    }

private:
    void fit() {
        pending_ = false;
        const int n = list_->count();
        for (int i = 0; i < n; ++i)
            if (list_->item(i)->data(Qt::SizeHintRole).isValid()) list_->item(i)->setData(Qt::SizeHintRole, {});
        if (n == 0) return;
        // The longest entries by characters; the widest of them by measure.
        std::vector<std::pair<qsizetype, int>> longest;
        for (int i = 0; i < n; ++i) longest.emplace_back(list_->item(i)->text().size(), i);
        const auto top = longest.begin() + std::min<std::ptrdiff_t>(8, n);
        std::partial_sort(longest.begin(), top, longest.end(), std::greater<>());
        const QFontMetrics metrics(list_->font());
        int widest = -1, at = 0;
        for (auto it = longest.begin(); it != top; ++it) {
            const int w = metrics.horizontalAdvance(list_->item(it->second)->text());
            if (w > widest) {
                widest = w;
                at = it->second;
            }
        }
        QStyleOptionViewItem option;
        option.initFrom(list_->viewport());
        option.font = list_->font();
        option.fontMetrics = metrics;
        const QSize size = list_->itemDelegate()->sizeHint(option, list_->model()->index(at, 0));
        const QSignalBlocker block(list_->model());
        list_->item(0)->setSizeHint(size);
        list_->doItemsLayout();
    }

    QListWidget* list_;
    bool pending_ = false;
};

void showWholeEntries(QListWidget* list) { new WholeEntries(list); }

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

void restrict_to_script_text(QLineEdit* edit, Dialogs& dialogs) {
    edit->setValidator(new ScriptTextValidator(edit, dialogs));
}

void reshowScriptText(QWidget* root, const vellumark::codepage::table* before) {
    const vellumark::codepage::table* now = textCodePage();
    for (QLineEdit* edit : root->findChildren<QLineEdit*>()) {
        if (!dynamic_cast<const ScriptTextValidator*>(edit->validator())) continue;
        setTextCodePage(before);
        const auto bytes = to_bytes(edit->text());
        setTextCodePage(now);
        if (bytes) edit->setText(to_text(*bytes));
    }
}

void showTable(QListWidget* list, ScriptDocument& doc, vellumark::table_id table) {
    new TableList(list, doc, table);
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

QString slot_caption(int row) {
    return row < 0 ? QStringLiteral("Slot#") : QStringLiteral("Slot#%1").arg(row);
}
