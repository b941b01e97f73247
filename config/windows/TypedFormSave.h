#pragma once

#include "config/MainWindowLayout.h"

#include <functional>

struct ConfigForm;
class SmtpPassword;
struct WindowServices;

// Saves a configuration form typed in a window (the configuration dialog, the first start)
// with the main window's layout as it stands (as saved, when no main window gives it), and
// reports a file that cannot be written in an error box. False when nothing was saved.
namespace TypedFormSave {
bool save(WindowServices &services, SmtpPassword &password, const ConfigForm &form,
          const std::function<MainWindowLayout()> &layout);
}
