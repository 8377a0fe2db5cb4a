// Background and text colours of the edit views, set through the palette so
// that "Change Color" and the design colours use one mechanism.
#pragma once

#include <QColor>
#include <QWidget>

// The background of a list, edit field, memo, spin edit or combo box.
inline void set_background(QWidget* w, const QColor& c) {
    QPalette p = w->palette();
    p.setColor(QPalette::Base, c);
    w->setPalette(p);
}

inline QColor background(const QWidget* w) { return w->palette().color(QPalette::Base); }

inline void set_text_color(QWidget* w, const QColor& c) {
    QPalette p = w->palette();
    p.setColor(QPalette::Text, c);
    w->setPalette(p);
}

// Design colours that several tabs share.
inline const QColor kSilver(0xC0, 0xC0, 0xC0);
inline const QColor kCream(0xFF, 0xFB, 0xF0);
