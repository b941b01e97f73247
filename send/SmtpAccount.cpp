#include "send/SmtpAccount.h"

#include "config/ConfigSettings.h"

SmtpAccount SmtpAccount::fromSettings(const ConfigSettings &settings)
{
    SmtpAccount account;
    account.host = settings.ACC_SMTPHost;
    account.port = settings.ACC_SMTPPort;
    account.security = settings.ACC_SMTPSecurity;
    account.user = settings.ACC_SMTPUser;
    account.password = settings.ACC_SMTPPass;
    return account;
}
