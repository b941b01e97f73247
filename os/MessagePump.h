#pragma once

#include <functional>

// "Process pending window messages": long loops on the GUI thread call serve() so that
// the windows (and a Cancel button) stay responsive. serve() is throttled so that a hot
// loop pays for the event loop at most every few milliseconds, not per line.
class MessagePump
{
public:
    using Hook = std::function<void()>;

    // Replaces what serving does (tests count calls); an empty hook restores the default,
    // which is QCoreApplication::processEvents() when an application object exists.
    static void setHook(Hook hook);

    // Serves the loop if at least the throttle interval has passed since the last time.
    static void serve();
    // Serves the loop now.
    static void serveNow();

    static void setIntervalMs(int ms);
};
