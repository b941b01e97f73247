#include "config/windows/TypedFormSave.h"

#include "config/ConfigFile.h"
#include "config/ConfigForm.h"
#include "config/ConfigSettings.h"
#include "config/SmtpPassword.h"
#include "os/AppError.h"
#include "os/DataPaths.h"
#include "product/AppInfo.h"
#include "ui/UserDialogs.h"
#include "ui/WindowServices.h"

namespace TypedFormSave {

bool save(WindowServices &services, SmtpPassword &password, const ConfigForm &form,
          const std::function<MainWindowLayout()> &layout)
{
    MainWindowLayout shown;
    if (layout) {
        shown = layout();
    } else {
        ConfigSettings scratch;
        shown = LoadWindowLayout(scratch, services.paths.config);
    }
    try {
        password.saveForm(services.settings, form, shown, services.paths.config);
    } catch (const AppError &e) {
        services.dialogs.messageBox(UserDialogs::Kind::Error, QString::fromLatin1(AppInfo::ApplicationTitle),
                                    QString::fromUtf8(e.what()));
        return false;
    }
    return true;
}

} // namespace TypedFormSave
