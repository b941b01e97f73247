#pragma once

#include "ui/WindowCommand.h"

#include <QSet>
#include <QString>
#include <QStringList>
#include <vector>

// What the window tests check of a command table against the keys help page.
namespace CommandTableCheck {

// The keys listed in the first column of the section `id` (<h2 id="...">) of the page.
QSet<QKeySequence> keysOnPage(const QString &html, const QString &id);
// The keys help page (help/html/Manual_keys.htm) of the source tree.
QString keysPage();

// What is wrong with the table: a key not on the page among `pageKeys`, a key two commands
// share, or a mnemonic two items of one menu (or the menu bar) share, or an item without
// one. Empty when all is well.
QStringList problems(const std::vector<WindowCommand> &rows, const QSet<QKeySequence> &pageKeys);

} // namespace CommandTableCheck
