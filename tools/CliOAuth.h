#pragma once

#include "oauth/OAuthClient.h"

#include <QStringList>
#include <QUrl>
#include <optional>

// The OAuth2 parts of vellorn-cli: the client named by options, and the browser.
namespace CliOAuth {

// The client of "--PREFIXprovider google|microsoft" (the preset's endpoints and scope, and
// the build's client ID unless one is given) or of "--PREFIXauth-url", "--PREFIXtoken-url",
// "--PREFIXscope"; with "--PREFIXclient-id" and "--PREFIXclient-secret". Nullopt when none
// of them is given; *error (a message printed) when they do not make a client.
std::optional<OAuthClient> clientFromOptions(QStringList &args, const QString &prefix, bool needsAuthorization,
                                             bool *error);
// Opens the address with the program named in $BROWSER (its "%s" replaced by the address,
// else the address added), else with the desktop's xdg-open.
bool openBrowser(const QUrl &url);

} // namespace CliOAuth
