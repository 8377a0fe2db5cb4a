#include "editors/list_box.h"

#include <QAbstractItemDelegate>
#include <QEvent>
#include <QFontMetrics>
#include <QHash>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

#include "editors/list_models.h"

ListBox::ListBox(ScriptListModel* model, QWidget* parent) : QListView(parent), model_(model) {
    model->setParent(this);
    setModel(model);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Every row has one size, so that a list of thousands of entries is laid
    // out at once instead of row by row; whole entries show.
    setUniformItemSizes(true);
    setTextElideMode(Qt::ElideNone);
    connect(model, &QAbstractItemModel::rowsInserted, this, &ListBox::scheduleFit);
    connect(model, &QAbstractItemModel::rowsRemoved, this, &ListBox::scheduleFit);
    connect(model, &QAbstractItemModel::modelReset, this, &ListBox::scheduleFit);
    connect(model, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex&, const QModelIndex&, const QList<int>& roles) {
                if (roles.isEmpty() || roles.contains(Qt::DisplayRole)) scheduleFit();
            });
    fit();
}

int ListBox::selectedRow() const {
    const QModelIndex current = currentIndex();
    if (current.isValid() && selectionModel()->isSelected(current)) return current.row();
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.first().row();
}

int ListBox::currentRow() const { return currentIndex().row(); }

void ListBox::setCurrentRow(int row) {
    // As a click: the row becomes current and the only selected one.
    selectionModel()->setCurrentIndex(model_->index(row), QItemSelectionModel::ClearAndSelect);
}

void ListBox::selectQuietly(int row) {
    const bool was = std::exchange(quiet_, true);
    setCurrentRow(row >= 0 && row < model_->rowCount() ? row : -1);
    quiet_ = was;
}

void ListBox::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) {
    QListView::selectionChanged(selected, deselected);
    if (!quiet_) emit selectedRowChanged();
}

void ListBox::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QListView::currentChanged(current, previous);
    if (!quiet_) emit currentRowChanged(current.row());
}

void ListBox::rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) {
    // Else the view would select the next entry in its place.
    const int current = currentRow(), selected = selectedRow();
    if ((current >= start && current <= end) || (selected >= start && selected <= end)) {
        const bool was = std::exchange(quiet_, true);
        selectionModel()->clear();
        quiet_ = was;
    }
    QListView::rowsAboutToBeRemoved(parent, start, end);
}

void ListBox::changeEvent(QEvent* event) {
    QListView::changeEvent(event);
    if (event->type() == QEvent::FontChange) fit();
}

void ListBox::showEvent(QShowEvent* event) {
    QListView::showEvent(event);
    if (fit_when_shown_) fit();
}

void ListBox::scheduleFit() {
    if (!isVisible()) {
        fit_when_shown_ = true;
        return;
    }
    if (fit_pending_) return;
    fit_pending_ = true;
    QTimer::singleShot(0, this, [this] {
        if (fit_pending_) fit();
    });
}

void ListBox::fit() {
    fit_pending_ = fit_when_shown_ = false;
    const QSize before = model_->rowSize();
    QSize size;
    if (const int n = model_->rowCount(); n > 0) {
        // The widest entry. Shaping every entry would take long in a list of
        // thousands, and the longest by characters alone miss a short entry
        // of wide letters (32 Cyrillic letters among longer Latin names): so
        // every entry is estimated as the sum of its characters' widths, and
        // the widest few by that estimate are measured.
        QFontMetrics metrics(font());
        QHash<QChar, int> widths;
        std::vector<std::pair<int, int>> estimated;
        estimated.reserve(std::size_t(n));
        for (int i = 0; i < n; ++i) {
            int sum = 0;
            for (const QChar c : model_->text(i)) {
                auto w = widths.find(c);
                if (w == widths.end()) w = widths.insert(c, metrics.horizontalAdvance(c));
                sum += *w;
            }
            estimated.emplace_back(sum, i);
        }
        const auto top = estimated.begin() + std::min<std::ptrdiff_t>(8, n);
        std::partial_sort(estimated.begin(), top, estimated.end(), std::greater<>());
        int widest = -1, at = 0;
        for (auto it = estimated.begin(); it != top; ++it) {
            const int w = metrics.horizontalAdvance(model_->text(it->second));
            if (w > widest) {
                widest = w;
                at = it->second;
            }
        }
        // The delegate's own measure of that row is every row's size.
        QStyleOptionViewItem option;
        initViewItemOption(&option);
        model_->setRowSize({});
        size = itemDelegate()->sizeHint(option, model_->index(at));
    }
    model_->setRowSize(size);
    // Laid out anew once, before the list is next painted or measured.
    if (size != before) scheduleDelayedItemsLayout();
}
