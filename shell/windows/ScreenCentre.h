#pragma once

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

// Places a top-level window in the middle of the screen's work area.
inline void centreOnScreen(QWidget *window)
{
    const QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    window->move(area.center() - QPoint(window->width() / 2, window->height() / 2));
}
