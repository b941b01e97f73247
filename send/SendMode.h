#pragma once

#include <QString>
#include <QStringView>

// How a send job hands mails on: through SMTP, or as .eml files to the desktop's mail
// program.
enum class SendMode {
    Smtp,
    Desktop,
};

// The mode as the send dialog's SendMails names it: "Self" or "MSOE".
constexpr const char *sendModeName(SendMode mode)
{
    return mode == SendMode::Desktop ? "MSOE" : "Self";
}

// The mode of such a name: "MSOE" is the desktop's mail program, any other SMTP.
inline SendMode sendModeNamed(QStringView name)
{
    return name == QLatin1String("MSOE") ? SendMode::Desktop : SendMode::Smtp;
}
