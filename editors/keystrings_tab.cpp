// Placeholder layout: every control exists with its name; the real layout and
// the editing behaviour replace this.
#include "editors/keystrings_tab.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>

KeyStringsTab::KeyStringsTab(EditorContext& ctx, QWidget* parent) : QWidget(parent), ctx_(ctx) {
    auto* layout = new QHBoxLayout(this);
    for (int i = 1; i <= 10; ++i) {
        memos_[i] = new QPlainTextEdit(this);
        memos_[i]->setObjectName(QStringLiteral("Memo%1").arg(i));
        layout->addWidget(memos_[i]);
    }
}
