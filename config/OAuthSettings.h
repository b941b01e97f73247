#pragma once

#include "config/ConfigSettings.h"
#include "oauth/OAuthClient.h"

#include <QString>

// The OAuth2 login of the configuration: which application signs in where.
namespace OAuthSettings {

// The client of the record: a preset's endpoints and scope from the provider table (its
// client ID from the record, else the one this build was made with), or the record's own
// for Custom.
OAuthClient clientOf(const ConfigSettings &settings);
// The client ID (and secret) this build carries for a preset ("Google", "Microsoft");
// empty when it was built without one.
QString builtInClientId(const QString &provider);
QString builtInClientSecret(const QString &provider);
// The keyring entry of the record's refresh token: "oauth:USER@HOST" (the password's is
// "smtp:USER@HOST").
QString keyOf(const ConfigSettings &settings);

} // namespace OAuthSettings
