// A list box of the tabs: a view of one ScriptListModel (a table of the
// record, the slots, a slot's commands, the demo list). It shows whole
// entries, one line each: every row takes the size of the widest entry, found
// again after each change of the rows or of the font, and the list scrolls
// sideways when that is wider than the list.
#pragma once

#include <QListView>

class ScriptListModel;

class ListBox : public QListView {
    Q_OBJECT
public:
    // Shows `model` and becomes its parent.
    explicit ListBox(ScriptListModel* model, QWidget* parent = nullptr);

    ScriptListModel* rows() const { return model_; }

    // The row of the selected entry, or -1 when nothing is selected.
    int selectedRow() const;
    // The current row, or -1.
    int currentRow() const;
    // Makes a row current and selected as a click does (-1: none); the
    // selection handling runs.
    void setCurrentRow(int row);
    // The same without running the selection handling; the view still shows
    // the new selection.
    void selectQuietly(int row);

signals:
    // The selection, or the current row, changed: by the user or through
    // setCurrentRow(); not through selectQuietly(). A list whose selected
    // entry goes is left without a selection, quietly: no other entry takes
    // its place.
    void selectedRowChanged();
    void currentRowChanged(int row);

protected:
    void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // Once after the changes of one event; for a hidden list, when it is shown.
    void scheduleFit();
    // Sizes every row to the widest entry.
    void fit();

    ScriptListModel* model_;
    bool quiet_ = false;
    bool fit_pending_ = false;
    bool fit_when_shown_ = false;
};
