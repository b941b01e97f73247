#include "send/SmtpAccount.h"

#include "config/ConfigSettings.h"
#include "config/OAuthTokens.h"

SmtpAccount SmtpAccount::fromSettings(const ConfigSettings &settings)
{
    SmtpAccount account;
    account.host = settings.ACC_SMTPHost;
    account.port = settings.ACC_SMTPPort;
    account.security = settings.ACC_SMTPSecurity;
    account.user = settings.ACC_SMTPUser;
    account.password = settings.ACC_SMTPPass;
    if (settings.smtpOAuth2()) {
        account.auth = Auth::OAuth2;
        account.password.clear();
        // The access tokens of the run: one got earlier serves while it lasts.
        account.accessToken = [tokens = OAuthTokens::shared().tokens(settings)](bool fresh) {
            return tokens->get(fresh);
        };
    }
    return account;
}
