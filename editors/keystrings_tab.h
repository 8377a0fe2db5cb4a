// The "Key strings" tab: ten memos, one key string per line and level.
#pragma once

#include <QWidget>

#include "editors/editor_context.h"

class QPlainTextEdit;

class KeyStringsTab : public QWidget {
    Q_OBJECT
public:
    explicit KeyStringsTab(EditorContext& ctx, QWidget* parent = nullptr);

    // Memo1..Memo10 at index 1..10 (index 0 unused).
    QPlainTextEdit* memo(int n) const { return memos_[n]; }

private:
    EditorContext& ctx_;
    QPlainTextEdit* memos_[11] = {};
};
