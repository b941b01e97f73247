#include "config/windows/AccountFinder.h"

#include "config/ConfigSettings.h"
#include "config/windows/NumberBox.h"
#include "discovery/HttpsFetcher.h"
#include "discovery/QtDnsResolver.h"
#include "os/DataPaths.h"
#include "smtp/CertificateFacts.h"
#include "smtp/TSMTP.h"
#include "text/StoredText.h"
#include "ui/UserDialogs.h"
#include "ui/WindowServices.h"

#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QVBoxLayout>
#include <algorithm>

namespace {

// A wait cursor while the network is asked.
class Waiting
{
public:
    Waiting() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~Waiting() { QApplication::restoreOverrideCursor(); }
    Waiting(const Waiting &) = delete;
    Waiting &operator=(const Waiting &) = delete;
};

} // namespace

AccountFinder::AccountFinder(WindowServices &services, Boxes boxes, QWidget *parent)
    : QWidget(parent)
    , m_services(services)
    , m_boxes(std::move(boxes))
{
    setObjectName(QStringLiteral("AccountFinder"));
    Btn_FindSettings = new QPushButton(QStringLiteral("&Find settings"), this);
    Btn_FindSettings->setObjectName(QStringLiteral("Btn_FindSettings"));
    Btn_FindSettings->setToolTip(QStringLiteral("Look up the server of your mail address"));
    Btn_TestSettings = new QPushButton(QStringLiteral("&Test settings"), this);
    Btn_TestSettings->setObjectName(QStringLiteral("Btn_TestSettings"));
    Btn_TestSettings->setToolTip(QStringLiteral("Connect and log in without sending anything"));
    Btn_FindSettings->setAutoDefault(false);
    Btn_TestSettings->setAutoDefault(false);
    LB_FindNote = new QLabel(this);
    LB_FindNote->setObjectName(QStringLiteral("LB_FindNote"));
    database = [this] { return StoredText::toQString(m_services.settings.ACC_ConfigDatabase).trimmed(); };
    updateNote();

    auto *buttons = new QHBoxLayout;
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->addWidget(Btn_FindSettings);
    buttons->addWidget(Btn_TestSettings);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(buttons);
    layout->addWidget(LB_FindNote);

    discover = [this](const QString &address) { return realDiscover(address); };
    test = [this](const SmtpAccount &account) { return realTest(account); };
    connect(Btn_FindSettings, &QPushButton::clicked, this, &AccountFinder::findSettings);
    connect(Btn_TestSettings, &QPushButton::clicked, this, &AccountFinder::testSettings);
}

AccountDiscovery::Result AccountFinder::realDiscover(const QString &address) const
{
    HttpsFetcher fetcher;
    QtDnsResolver resolver;
    AccountDiscovery discovery(fetcher, &resolver);
    discovery.databaseUrl = database ? database().trimmed() : QString();
    return discovery.discover(address);
}

SmtpConnectionTest::Outcome AccountFinder::realTest(const SmtpAccount &account)
{
    TSMTP session;
    SmtpConnectionTest check;
    // The send dialog's question about a certificate that fails the checks (refusing is
    // the default); SmtpDelivery keeps a yes as a pin in the account's pins file.
    check.trustCertificate = [this](const CertificateFacts &facts) {
        QApplication::restoreOverrideCursor();
        const auto waitAgain = qScopeGuard([] { QApplication::setOverrideCursor(Qt::WaitCursor); });
        return m_question.trustCertificate(facts);
    };
    return check.run(session, account);
}

void AccountFinder::updateNote()
{
    // Lines of its own rather than word wrap, so that the page's height is known before its width.
    const QString url = database ? database().trimmed() : QString();
    LB_FindNote->setText(url.isEmpty()
                             ? QStringLiteral("Find settings asks your provider and DNS;\nthe configuration database "
                                              "is off. Your password is not sent.")
                             : QStringLiteral("Find settings asks your provider, then the database\n%1 "
                                              "(told your domain only),\nthen DNS. Your password is not sent.")
                                   .arg(url));
}

SmtpAccount AccountFinder::account() const
{
    SmtpAccount a;
    a.host = m_boxes.host->text().trimmed().toStdString();
    a.port = m_boxes.port->value();
    a.security = static_cast<SmtpSecurity>(std::clamp(m_boxes.security->currentIndex(), 0, 3));
    a.user = StoredText::fromQString(m_boxes.user->text().trimmed());
    a.password = StoredText::fromQString(m_boxes.password->text());
    // A certificate trusted here is kept for the server as one trusted when sending.
    a.pinsFile = m_services.paths.config;
    return a;
}

void AccountFinder::findSettings()
{
    UserDialogs::Asker asker(m_services.dialogs, window());
    const QString user = m_boxes.user->text().trimmed();
    const QString address = user.contains(QLatin1Char('@')) ? user : m_boxes.address ? m_boxes.address().trimmed() : QString();
    if (!AccountDiscovery::split(address)) {
        m_services.dialogs.messageBox(UserDialogs::Kind::Information, QStringLiteral("Find settings"), noAddressText);
        return;
    }
    AccountDiscovery::Result result;
    {
        Waiting wait;
        result = discover(address);
    }
    const QString summary = AccountDiscovery::summary(result);
    if (!result.server) {
        m_services.dialogs.messageBox(UserDialogs::Kind::Information, QStringLiteral("Find settings"),
                                      summary + QStringLiteral("\n\nType the settings your provider names."));
        return;
    }
    if (m_services.dialogs.messageBox(UserDialogs::Kind::Confirmation, QStringLiteral("Find settings"),
                                      summary + QStringLiteral("\n\nPut these settings into the page? Nothing is "
                                                               "saved before you press Save."),
                                      UserDialogs::Buttons::YesNo)
        != UserDialogs::Answer::Yes)
        return;
    const FoundServer &s = *result.server;
    m_boxes.host->setText(QString::fromStdString(s.host));
    m_boxes.port->setValue(s.port);
    m_boxes.security->setCurrentIndex(static_cast<int>(s.security));
    if (s.login != FoundServer::Login::None)
        m_boxes.user->setText(StoredText::toQString(s.user));
}

void AccountFinder::testSettings()
{
    UserDialogs::Asker asker(m_services.dialogs, window());
    const SmtpAccount a = account();
    if (a.host.empty()) {
        m_services.dialogs.messageBox(UserDialogs::Kind::Information, QStringLiteral("Test settings"),
                                      QStringLiteral("Type the host first, or press Find settings."));
        return;
    }
    SmtpConnectionTest::Outcome outcome;
    {
        Waiting wait;
        outcome = test(a);
    }
    m_services.dialogs.messageBox(outcome.passed ? UserDialogs::Kind::Information : UserDialogs::Kind::Warning,
                                  QStringLiteral("Test settings"), SmtpConnectionTest::report(outcome));
}
