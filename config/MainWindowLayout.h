#pragma once

// What the configuration file keeps of the main window and the tips window: the keys
// that have no field in the settings record and go straight to and from the windows.
struct MainWindowLayout
{
    enum class State { Normal, Maximized, Minimized };

    int BOX_Height = 140;
    int BOX_SortIndex = 4;
    bool BOX_ShowContent = true;
    bool WND_ShowTips = true;
    State state = State::Normal;
    int WND_X = 10;
    int WND_Y = 10;
    int WND_W = 700;
    int WND_H = 480;
};
