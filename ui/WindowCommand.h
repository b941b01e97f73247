#pragma once

#include <QIcon>
#include <QKeySequence>
#include <QList>
#include <functional>

// One row of a window's command table: a command (a QAction with its caption, keys, icon and
// handler, in a menu or reached by its keys only), a menu, or a separator in a menu. A
// window declares all its commands in one ordered table; WindowCommandTable makes the
// actions and the menus from it, so that a command's caption, keys and place are written once.
struct WindowCommand
{
    enum class Kind { Command, Menu, Popup, Separator };

    Kind kind = Kind::Command;
    // The object name of the action or menu (tests and other windows find it by this name).
    const char *name = nullptr;
    // The caption with its mnemonic (the menu's title for a menu).
    const char *caption = nullptr;
    // The object name of the menu it stands in, at its place in table order. A command in
    // no menu is reached by its keys only; a menu in no menu stands in the menu bar.
    const char *menu = nullptr;
    // Its keys, the first one shown in the menu; they work anywhere in the window.
    QList<QKeySequence> keys = {};
    QIcon icon = {};
    std::function<void()> handler = {};
    // Shown as its tool tip and in the status bar.
    const char *hint = nullptr;

    static WindowCommand menuRow(const char *name, const char *caption, const char *parent = nullptr)
    {
        return {Kind::Menu, name, caption, parent, {}, {}, {}, nullptr};
    }
    static WindowCommand popupRow(const char *name) { return {Kind::Popup, name, nullptr, nullptr, {}, {}, {}, nullptr}; }
    static WindowCommand separator(const char *menu)
    {
        return {Kind::Separator, nullptr, nullptr, menu, {}, {}, {}, nullptr};
    }
};
