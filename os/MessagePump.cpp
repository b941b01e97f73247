#include "os/MessagePump.h"

#include <QCoreApplication>
#include <QElapsedTimer>

namespace {

struct PumpState
{
    MessagePump::Hook hook;
    QElapsedTimer clock;
    int intervalMs = 5;
};

PumpState &state()
{
    static PumpState s;
    return s;
}

} // namespace

void MessagePump::setHook(Hook hook)
{
    state().hook = std::move(hook);
}

void MessagePump::serve()
{
    PumpState &s = state();
    if (s.clock.isValid() && s.clock.elapsed() < s.intervalMs)
        return;
    serveNow();
}

void MessagePump::serveNow()
{
    PumpState &s = state();
    s.clock.start();
    if (s.hook) {
        s.hook();
        return;
    }
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
}

void MessagePump::setIntervalMs(int ms)
{
    state().intervalMs = ms < 0 ? 0 : ms;
}
