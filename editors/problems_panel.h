// The "Problems" panel: every problem of the document, checked anew after
// each change, each row with its icon, place and message. A double-click
// asks the window to show the place.
#pragma once

#include <QDockWidget>
#include <optional>
#include <vector>

#include "codec/check.h"

class QTreeWidget;
class ScriptDocument;

class ProblemsPanel : public QDockWidget {
    Q_OBJECT
public:
    explicit ProblemsPanel(ScriptDocument& doc, QWidget* parent = nullptr);

    QTreeWidget* ProblemList = nullptr;  // icon and place, message

    const std::vector<vellumark::problem>& problems() const { return problems_; }
    // "1 error, 3 warnings"; nothing while no script is open.
    QString summary() const;
    // A script was opened: from now on the document is checked. Before,
    // there is nothing to check and nothing is listed.
    void setScriptOpen();
    // Checks the document now rather than after the current event.
    void checkNow();

signals:
    void goTo(const vellumark::place& where);
    // The counts changed.
    void summaryChanged(const QString& summary);

private:
    void scheduleCheck();

    ScriptDocument& doc_;
    std::vector<vellumark::problem> problems_;
    bool scheduled_ = false;
    bool open_ = false;
    std::optional<bool> listed_;  // open_ as the list and the count last showed it
};
