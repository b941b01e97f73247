#pragma once

#include <QLatin1String>
#include <utility>

// A new widget of type W with its object name, by which tests and screenshots find it.
template <typename W, typename... Args>
W *named(const char *name, Args &&...args)
{
    auto *w = new W(std::forward<Args>(args)...);
    w->setObjectName(QLatin1String(name));
    return w;
}
