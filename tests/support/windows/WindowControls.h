#pragma once

#include <QAbstractButton>
#include <QTest>
#include <QWidget>

// Finding a window's controls by their object names, and pressing buttons, in window tests.
namespace WindowControls {

template <typename T = QWidget>
T *child(QWidget *window, const char *name)
{
    T *c = window->findChild<T *>(QLatin1String(name));
    if (!c)
        qFatal("no control %s", name);
    return c;
}

inline void click(QWidget *window, const char *button)
{
    QTest::mouseClick(child<QAbstractButton>(window, button), Qt::LeftButton);
}

} // namespace WindowControls
