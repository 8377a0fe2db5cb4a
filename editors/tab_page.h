// What the main window asks of each of its tabs: to show a place of the
// script (a Problems row, a find result), and which of its views the
// "Colour" setting and the "ListBox's Font Size" bar apply to. The tabs'
// widgets are their own; the window reaches them only through this.
#pragma once

#include <vector>

class ListBox;
class QWidget;
namespace vellumark {
struct place;
}

class TabPage {
public:
    // The widget that is the tab's page.
    virtual QWidget* page() = 0;
    // Whether the place is shown on this tab.
    virtual bool holdsPlace(const vellumark::place& where) const = 0;
    // Selects the place's entry, slot and command, or memo line, scrolls it
    // into view and gives it the focus. The tab is the current one. A row
    // past the end of its list selects nothing.
    virtual void showPlace(const vellumark::place& where) = 0;
    // The lists, edit boxes and memos whose background "Colour" sets.
    virtual std::vector<QWidget*> recolourableViews() = 0;
    // The list boxes whose font size the bar sets.
    virtual std::vector<ListBox*> lists() = 0;

protected:
    TabPage() = default;
    ~TabPage() = default;
    TabPage(const TabPage&) = delete;
    TabPage& operator=(const TabPage&) = delete;
};
