// The models of the list boxes: each shows one part of the document's record,
// one row per entry, and follows the document's signals with the precise
// row changes (so that a view keeps its selection on its entry). Counts and
// texts are the record's; the only thing a model holds is the size of a row,
// which the view sets (see ListBox in list_box.h).
#pragma once

#include <QAbstractListModel>
#include <QSize>

#include "codec/tables.h"

class ScriptDocument;

// One line of text per row; every row has the size the view last set.
class ScriptListModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit ScriptListModel(ScriptDocument& doc, QObject* parent = nullptr)
        : QAbstractListModel(parent), doc_(doc) {}

    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : rows_; }
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // The text of a row.
    virtual QString text(int row) const = 0;

    // The size of every row (the view's uniform item size); invalid for the
    // delegate's own measure.
    QSize rowSize() const { return row_size_; }
    void setRowSize(QSize size) { row_size_ = size; }

protected:
    // Rows first .. first + removed - 1 became `inserted` rows.
    void replaceRows(int first, int removed, int inserted);
    void moveRow(int from, int to);
    // The row count is `rows` now, changed at the end; the rows that stay
    // may show other texts.
    void resizeRows(int rows);
    // Everything may have changed.
    void resetRows(int rows);
    void showAgain(int first, int last);
    void showAllAgain() { showAgain(0, rows_ - 1); }

    ScriptDocument& doc_;

private:
    int rows_ = 0;  // the record's count, but for the moment between a begin and its end
    QSize row_size_;
};

// The entries of one string table.
class StringTableModel : public ScriptListModel {
    Q_OBJECT
public:
    StringTableModel(ScriptDocument& doc, vellumark::table_id table, QObject* parent = nullptr);
    QString text(int row) const override;

private:
    const std::vector<std::string>& strings() const;
    vellumark::table_id table_;
};

// The script slots by label: "Script#n", or "Script #n" for a slot the
// add-level dialog made.
class SlotListModel : public ScriptListModel {
    Q_OBJECT
public:
    explicit SlotListModel(ScriptDocument& doc, QObject* parent = nullptr);
    QString text(int row) const override;
};

// The commands of one slot, each as its name, operand and the name the
// operand looks up ("Play level,2 (Bartoli)").
class CommandListModel : public ScriptListModel {
    Q_OBJECT
public:
    explicit CommandListModel(ScriptDocument& doc, QObject* parent = nullptr);
    QString text(int row) const override;

    // Lists the commands of slot `slot` anew (none for -1).
    void showSlot(int slot);
    int slot() const { return slot_; }

private:
    int usedCommands() const;
    int slot_ = -1;
};

// The lines of the demo level list.
class DemoListModel : public ScriptListModel {
    Q_OBJECT
public:
    explicit DemoListModel(ScriptDocument& doc, QObject* parent = nullptr);
    QString text(int row) const override;
};
