#pragma once

#include "ConfigSettings.h"
#include "MainWindowLayout.h"

#include <QString>

// Reading and writing the [System] section of Config.dat.

// Fills the account and picture fields of the record; a missing file, key or unreadable
// number gives each key's fallback.
void LoadConfig(ConfigSettings &settings, const QString &configPath);

// The main window's settings load: the BOX_ fields of the record and the layout keys.
MainWindowLayout LoadWindowLayout(ConfigSettings &settings, const QString &configPath);

// Writes every key of [System] in its fixed order from the record and the windows' layout,
// and brings the record up to date (account texts trimmed, the preview flag).
// Stops at the first key that cannot be written and throws AppError
// "Unable to write to <path>"; keys before it stay written.
void SaveConfig(ConfigSettings &settings, const MainWindowLayout &layout, const QString &configPath);

// The 31 lines of a first-run Config.dat, each ended by CR LF.
QByteArray FirstRunConfigText();
