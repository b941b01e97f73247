#pragma once

#include "config/ConfigForm.h"
#include "config/ConfigSettings.h"
#include "config/MainWindowLayout.h"

#include <QString>

// Reading and writing the [System] section of Config.dat.

// Fills the account and picture fields of the record, and the configuration dialog's
// values with the same, each number brought into its box's range (so PIC_MT=20 stays 20
// in the record while the dialog shows 25). A missing file, key or unreadable number
// gives each key's fallback.
void LoadConfig(ConfigSettings &settings, ConfigForm &form, const QString &configPath);
// The record alone, for code that runs without the dialog (vellorn-cli, tests).
void LoadConfig(ConfigSettings &settings, const QString &configPath);

// The main window's settings load: the BOX_ fields of the record and the layout keys.
MainWindowLayout LoadWindowLayout(ConfigSettings &settings, const QString &configPath);

// Writes every key of [System] in its fixed order: the account and picture keys from the
// dialog's values (ConfigForm::appliedTo: edited numbers within their ranges, numbers not
// edited as the record holds them, texts trimmed), the box keys from the
// record and the rest from the windows' layout; brings the record up to date with what
// was written. Stops at the first key that cannot be written and throws AppError
// "Unable to write to <path>"; keys before it stay written.
void SaveConfig(ConfigSettings &settings, const ConfigForm &form, const MainWindowLayout &layout,
                const QString &configPath);

// Writes the two spell-checking keys alone (the composer's Tools menu changes them);
// false when the file could not be written.
bool SaveSpelling(const ConfigSettings &settings, const QString &configPath);

// The 31 lines of a first-run Config.dat, each ended by CR LF.
QByteArray FirstRunConfigText();
