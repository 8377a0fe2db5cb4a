// The help window: the user manual in an editable rich-text pane.
#pragma once

#include <QWidget>

class QTextEdit;

class TForm5 : public QWidget {
    Q_OBJECT
public:
    explicit TForm5(QWidget* parent = nullptr);

    // Shows the window (centred the first time), raises and activates it.
    void showAndRaise();
    // Scrolls the manual to the line that is the heading, at the top.
    void showSection(const QString& heading);
    // Puts the window beside another (a dialog's frame), on the same screen:
    // to its right, else to its left, else above or below it, shortened to
    // the room there, so that it covers none of the other.
    void placeBeside(const QRect& other);

    QTextEdit* RichEdit1 = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool shown_once_ = false;
};
