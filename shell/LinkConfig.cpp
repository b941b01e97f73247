#include "shell/LinkConfig.h"

#include "config/IniFile.h"
#include "os/Shell.h"
#include "text/Ansi.h"

namespace LinkConfig {

namespace {

const QLatin1String kMailto("mailto:");

// An address as a "mailto:" URL without a query, however it was written.
QString mailtoAddress(QString value)
{
    if (value.startsWith(kMailto, Qt::CaseInsensitive))
        value = value.mid(kMailto.size());
    const qsizetype query = value.indexOf(QLatin1Char('?'));
    if (query >= 0)
        value.truncate(query);
    value = value.trimmed();
    return value.isEmpty() ? QString() : kMailto + value;
}

QString webAddress(QString value)
{
    value = value.trimmed();
    if (!value.isEmpty() && !value.contains(QLatin1String("://")))
        value.prepend(QLatin1String("http://"));
    return value;
}

} // namespace

LinkAddresses read(const QString &configPath)
{
    LinkAddresses links;
    const IniFile ini = IniFile::readOnce(configPath);
    const QString home = webAddress(Ansi::toQString(ini.readString("Links", "HomePage")));
    if (!home.isEmpty())
        links.homePage = home;
    const QString mail = mailtoAddress(Ansi::toQString(ini.readString("Links", "SupportMail")));
    if (!mail.isEmpty())
        links.supportMail = mail;
    return links;
}

QUrl homePage(const LinkAddresses &links)
{
    return QUrl(links.homePage);
}

QUrl bugReport(const LinkAddresses &links, BugReportFrom from)
{
    if (from == BugReportFrom::MainWindow)
        return QUrl(links.supportMail + QStringLiteral("?Subject=Bug report"));
    return QUrl(links.supportMail);
}

void open(Shell &shell, const QUrl &url)
{
    (void)shell.openUrl(url);
}

} // namespace LinkConfig
