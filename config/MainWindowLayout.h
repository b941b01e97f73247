#pragma once

#include "config/ConfigKeys.h"

// What the configuration file keeps of the main window and the tips window: the keys
// that have no field in the settings record and go straight to and from the windows.
struct MainWindowLayout
{
    enum class State { Normal, Maximized, Minimized };

    // Until LoadWindowLayout fills them: what a file without these keys gives.
    int BOX_Height = missing(ConfigKey::BOX_Height);
    int BOX_SortIndex = missing(ConfigKey::BOX_SortIndex);
    bool BOX_ShowContent = missing(ConfigKey::BOX_ShowContent) != 0;
    bool WND_ShowTips = missing(ConfigKey::WND_ShowTips) != 0;
    State state = State::Normal;
    int WND_X = missing(ConfigKey::WND_X);
    int WND_Y = missing(ConfigKey::WND_Y);
    int WND_W = missing(ConfigKey::WND_W);
    int WND_H = missing(ConfigKey::WND_H);

private:
    static constexpr int missing(ConfigKey key) { return ConfigKeys::of(key).missing.number; }
};
