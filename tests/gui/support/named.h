// The widgets of the tabs are their own: tests reach one by its object name
// ("ListBox1", "Edit9", "Button15", the action "DeleteLevel1"), as it stands
// on the window that `in` is part of. A dialog with a window of its own (the
// add-level dialog's "Edit1") is not searched.
#pragma once

#include <QAction>
#include <QList>
#include <QObject>
#include <QString>
#include <QWidget>
#include <stdexcept>
#include <string>

template <class T>
T* named(const QObject* in, const char* name) {
    const auto* in_widget = qobject_cast<const QWidget*>(in);
    T* found = nullptr;
    int count = 0;
    for (T* candidate : in->findChildren<T*>(QString::fromLatin1(name))) {
        const auto* w = qobject_cast<const QWidget*>(candidate);
        if (in_widget && w && w->window() != in_widget->window()) continue;
        found = candidate;
        ++count;
    }
    if (count != 1) {
        std::string what = count == 0 ? "no " : "more than one ";
        what += T::staticMetaObject.className();
        what += " named ";
        what += name;
        throw std::logic_error(what);
    }
    return found;
}
