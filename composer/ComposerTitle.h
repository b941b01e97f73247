#pragma once

#include <QString>

// The composer's window title: the caption, and after it the subject once one is typed
// ("Compose Vellorn - Spring concert"), so that the windows of several letters can be
// told apart in the task bar and the window list.
namespace ComposerTitle {

inline constexpr const char *kCaption = "Compose Vellorn";

QString of(const QString &subject);

} // namespace ComposerTitle
