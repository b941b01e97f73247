#pragma once

#include "os/Clock.h"

// The machine's local date and time.
class SystemClock : public Clock
{
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};
