#include "editors/problems_panel.h"

#include <QApplication>
#include <QHeaderView>
#include <QStyle>
#include <QTimer>
#include <QTreeWidget>

#include "editors/document.h"

namespace {

// A list a few rows high when the panel opens below the window.
class ProblemTree : public QTreeWidget {
public:
    using QTreeWidget::QTreeWidget;
    QSize sizeHint() const override { return {600, 110}; }
};

}  // namespace

ProblemsPanel::ProblemsPanel(ScriptDocument& doc, QWidget* parent) : QDockWidget(parent), doc_(doc) {
    setObjectName(QStringLiteral("ProblemsPanel"));
    ProblemList = new ProblemTree(this);
    ProblemList->setObjectName(QStringLiteral("ProblemList"));
    ProblemList->setColumnCount(2);
    ProblemList->setHeaderLabels({QStringLiteral("Place"), QStringLiteral("Message")});
    ProblemList->setRootIsDecorated(false);
    ProblemList->setUniformRowHeights(true);
    ProblemList->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    ProblemList->setMinimumHeight(60);
    setWidget(ProblemList);
    connect(ProblemList, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
        const int row = ProblemList->indexOfTopLevelItem(item);
        if (row >= 0 && std::size_t(row) < problems_.size()) emit goTo(problems_[std::size_t(row)].where);
    });

    // Every change of the document can bring or end a problem.
    for (auto signal : {&ScriptDocument::reset, &ScriptDocument::flagsChanged, &ScriptDocument::demoLevelsChanged})
        connect(&doc_, signal, this, &ProblemsPanel::scheduleCheck);
    connect(&doc_, &ScriptDocument::entriesReplaced, this, &ProblemsPanel::scheduleCheck);
    connect(&doc_, &ScriptDocument::entryMoved, this, &ProblemsPanel::scheduleCheck);
    connect(&doc_, &ScriptDocument::slotsReplaced, this, &ProblemsPanel::scheduleCheck);
    connect(&doc_, &ScriptDocument::slotMoved, this, &ProblemsPanel::scheduleCheck);
    checkNow();
}

QString ProblemsPanel::summary() const {
    if (!open_) return {};
    int errors = 0, warnings = 0;
    for (const auto& p : problems_) ++(p.level == vellumark::severity::error ? errors : warnings);
    return QStringLiteral("%1 %2, %3 %4")
        .arg(errors)
        .arg(errors == 1 ? QStringLiteral("error") : QStringLiteral("errors"))
        .arg(warnings)
        .arg(warnings == 1 ? QStringLiteral("warning") : QStringLiteral("warnings"));
}

void ProblemsPanel::setScriptOpen() {
    open_ = true;
    checkNow();
}

void ProblemsPanel::scheduleCheck() {
    // One check after all the changes of one event, however many there are.
    if (scheduled_) return;
    scheduled_ = true;
    QTimer::singleShot(0, this, [this] {
        if (scheduled_) checkNow();
    });
}

void ProblemsPanel::checkNow() {
    scheduled_ = false;
    std::vector<vellumark::problem> found;
    if (open_) found = vellumark::check_script(doc_.record());
    const bool same = found.size() == problems_.size() &&
                      std::equal(found.begin(), found.end(), problems_.begin(), [](const auto& a, const auto& b) {
                          return a.level == b.level && a.where == b.where && a.message == b.message;
                      });
    if (same && ProblemList->topLevelItemCount() == int(found.size()) && listed_ == open_) return;
    listed_ = open_;
    problems_ = std::move(found);

    const QIcon error = style()->standardIcon(QStyle::SP_MessageBoxCritical);
    const QIcon warning = style()->standardIcon(QStyle::SP_MessageBoxWarning);
    QList<QTreeWidgetItem*> rows;
    rows.reserve(qsizetype(problems_.size()));
    for (const auto& p : problems_) {
        // The place names a key-string line's level by its name, as text.
        auto* row = new QTreeWidgetItem(
            {QString::fromStdString(vellumark::place_text(p.where, doc_.record(), doc_.codePageTable())),
             doc_.toText(p.message)});
        row->setIcon(0, p.level == vellumark::severity::error ? error : warning);
        rows.append(row);
    }
    ProblemList->clear();
    ProblemList->addTopLevelItems(rows);
    setWindowTitle(open_ ? QStringLiteral("Problems: ") + summary() : QStringLiteral("Problems"));
    emit summaryChanged(summary());
}
