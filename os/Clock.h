#pragma once

#include <QDateTime>

// The local date and time, injected so that tests can fix it.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};
