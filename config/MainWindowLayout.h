#pragma once

#include "config/ConfigField.h"
#include "config/ConfigKeys.h"

#include <array>

// What the configuration file keeps of the main window and the tips window: the keys
// that have no field in the settings record and go straight to and from the windows.
// BOX_ShowContent is also copied into the record, where the mailbox window reads it.
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

namespace ConfigFields {

// The layout's fields, in the order SaveConfig writes them after the record's.
inline constexpr auto layout = std::to_array<ConfigField<MainWindowLayout>>({
    {ConfigKey::BOX_Height, &MainWindowLayout::BOX_Height, ConfigGroup::Window},
    {ConfigKey::BOX_SortIndex, &MainWindowLayout::BOX_SortIndex, ConfigGroup::Window},
    {ConfigKey::BOX_ShowContent, &MainWindowLayout::BOX_ShowContent, ConfigGroup::Window},
    {ConfigKey::WND_ShowTips, &MainWindowLayout::WND_ShowTips, ConfigGroup::Window},
});
// The bounds of a window in its normal state, written after WND_State and only when the
// window is in that state (a maximised window keeps the bounds it had). WND_State itself
// is not a field: it is written from `state`, and "Max" is the only word read from it.
inline constexpr auto bounds = std::to_array<ConfigField<MainWindowLayout>>({
    {ConfigKey::WND_X, &MainWindowLayout::WND_X, ConfigGroup::Window},
    {ConfigKey::WND_Y, &MainWindowLayout::WND_Y, ConfigGroup::Window},
    {ConfigKey::WND_W, &MainWindowLayout::WND_W, ConfigGroup::Window},
    {ConfigKey::WND_H, &MainWindowLayout::WND_H, ConfigGroup::Window},
});
static_assert(wellFormed(layout) && wellFormed(bounds), "a field of the window layout does not fit its key");

} // namespace ConfigFields
