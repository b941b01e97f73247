#include "config/windows/FirstStartDialog.h"

#include "config/MailProviders.h"
#include "config/MainWindowLayout.h"
#include "config/OAuthSettings.h"
#include "config/OAuthTokens.h"
#include "config/SmtpPassword.h"
#include "config/windows/AccountFinder.h"
#include "config/windows/NumberBox.h"
#include "config/windows/OAuthLoginBox.h"
#include "config/windows/TypedFormSave.h"
#include "os/DataPaths.h"
#include "send/SmtpAccount.h"
#include "text/StoredText.h"
#include "ui/UserDialogs.h"
#include "ui/WindowServices.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

namespace {

template <class W>
W *named(QWidget *parent, const char *name)
{
    auto *w = new W(parent);
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

} // namespace

FirstStartDialog::FirstStartDialog(WindowServices &services, ConfigForm &form, SmtpPassword &password, QWidget *parent)
    : QDialog(parent)
    , m_services(services)
    , m_form(form)
    , m_password(password)
    , m_accountBefore(services.settings.ACC_OAuthAccount)
{
    setObjectName(QStringLiteral("FirstStartDialog"));
    setWindowTitle(QStringLiteral("Your mail account"));

    auto *intro = new QLabel(QStringLiteral("Type your name, your mail address and its password (or sign in, where\n"
                                            "your provider asks for that). The server is found from the address;\n"
                                            "you see what was found before it is saved."),
                             this);
    Edt_FromName = named<QLineEdit>(this, "Edt_FromName");
    Edt_FromAdd = named<QLineEdit>(this, "Edt_FromAdd");
    Edt_FromAdd->setPlaceholderText(QStringLiteral("you@example.org"));
    Edt_Pass = named<QLineEdit>(this, "Edt_Pass");
    Edt_Pass->setEchoMode(QLineEdit::Password);

    LB_Found = named<QLabel>(this, "LB_Found");
    LB_Found->setText(QStringLiteral("Press Find settings to look the server up."));
    LB_Found->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Edt_Host = named<QLineEdit>(this, "Edt_Host");
    Edt_Port = new NumberBox(ConfigForm::Port, this);
    Edt_Port->setObjectName(QStringLiteral("Edt_Port"));
    Edt_Port->setValue(m_form.Edt_Port);
    CBX_Security = named<QComboBox>(this, "CBX_Security");
    // In the order of SmtpSecurity.
    CBX_Security->addItems({QStringLiteral("Automatic"), QStringLiteral("SSL/TLS"), QStringLiteral("STARTTLS"),
                            QStringLiteral("None")});
    Edt_User = named<QLineEdit>(this, "Edt_User");
    Edt_User->setPlaceholderText(QStringLiteral("the mail address"));

    // The configuration page's finder over these boxes; the login name, when none was
    // found, is the address.
    AccountFinder::Boxes boxes{Edt_Host, Edt_Port, CBX_Security, Edt_User, Edt_Pass,
                               [this] { return Edt_FromAdd->text(); }};
    m_finder = new AccountFinder(services, boxes, this);
    m_finder->noAddressText = QStringLiteral("Type your mail address first.");
    discover = m_finder->discover;
    test = m_finder->test;
    m_finder->discover = [this](const QString &address) {
        AccountDiscovery::Result result = discover(address);
        found(result);
        return result;
    };
    m_finder->test = [this](const SmtpAccount &account) {
        SmtpAccount a = account;
        if (a.user.empty())
            a.user = StoredText::fromQString(Edt_FromAdd->text().trimmed());
        if (oauth2()) {
            // The token of the sign-in here, got as a send gets it.
            const SmtpAccount signedIn = SmtpAccount::fromSettings(typedSettings());
            a.auth = signedIn.auth;
            a.accessToken = signedIn.accessToken;
            a.password.clear();
        }
        return test(a);
    };

    // The SMTP page's sign-in with the browser, for the provider of the server found.
    m_oauth = new OAuthLoginBox(services, this);
    m_oauth->showPresetEndpoints(false);
    m_oauth->currentSettings = [this] { return typedSettings(); };
    m_oauth->presetChosen = [this](const MailProvider &provider) {
        Edt_Host->setText(QString::fromLatin1(provider.smtpHost.data(), static_cast<qsizetype>(provider.smtpHost.size())));
        Edt_Port->setValue(provider.smtpPort);
        CBX_Security->setCurrentIndex(static_cast<int>(provider.security));
    };
    QComboBox *authChoice = m_oauth->authChoice();
    for (const auto &[key, box] : m_oauth->boxes()) {
        const std::string &value =
            m_form.*std::get<std::string ConfigForm::*>(ConfigFields::find(ConfigFields::form, key)->member);
        if (auto *choice = qobject_cast<QComboBox *>(box))
            choice->setCurrentIndex(std::max(0, choice->findData(StoredText::toQString(value))));
        else
            static_cast<QLineEdit *>(box)->setText(StoredText::toQString(value));
    }

    auto *you = new QFormLayout;
    you->addRow(QStringLiteral("&Name:"), Edt_FromName);
    you->addRow(QStringLiteral("&Address:"), Edt_FromAdd);
    LB_Pass = new QLabel(QStringLiteral("&Password:"), this);
    LB_Pass->setBuddy(Edt_Pass);
    you->addRow(LB_Pass, Edt_Pass);
    auto *server = new QFormLayout;
    server->addRow(m_finder);
    server->addRow(LB_Found);
    server->addRow(QStringLiteral("SMTP &host:"), Edt_Host);
    server->addRow(QStringLiteral("Po&rt:"), Edt_Port);
    server->addRow(QStringLiteral("Sec&urity:"), CBX_Security);
    server->addRow(QStringLiteral("&Login name:"), Edt_User);
    server->addRow(QStringLiteral("Lo&gin with:"), authChoice);
    m_serverRows = server;

    Btn_Save = named<QPushButton>(this, "Btn_Save");
    Btn_Save->setText(QStringLiteral("&Save"));
    Btn_TypeMyself = named<QPushButton>(this, "Btn_TypeMyself");
    Btn_TypeMyself->setText(QStringLiteral("T&ype the settings myself..."));
    Btn_TypeMyself->setToolTip(QStringLiteral("Close this and open the SMTP page of the configuration"));
    Btn_Cancel = named<QPushButton>(this, "Btn_Cancel");
    Btn_Cancel->setText(QStringLiteral("Cancel"));
    Btn_Save->setAutoDefault(false);
    Btn_TypeMyself->setAutoDefault(false);
    Btn_Cancel->setAutoDefault(false);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(Btn_TypeMyself);
    buttons->addStretch();
    buttons->addWidget(Btn_Save);
    buttons->addWidget(Btn_Cancel);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addLayout(you);
    layout->addSpacing(8);
    layout->addLayout(server);
    layout->addWidget(m_oauth);
    layout->addLayout(buttons);

    // As the rows read: the finder's buttons above the server, the sign-in's controls after
    // the login name (the login choice first), then the buttons.
    QList<QWidget *> order = {Edt_FromName, Edt_FromAdd, Edt_Pass};
    for (QPushButton *button : m_finder->findChildren<QPushButton *>(QString(), Qt::FindDirectChildrenOnly))
        order << button;
    order << QList<QWidget *>{Edt_Host, Edt_Port, CBX_Security, Edt_User};
    for (const auto &[key, box] : m_oauth->boxes())
        order << box;
    for (QPushButton *button : m_oauth->findChildren<QPushButton *>(QString(), Qt::FindDirectChildrenOnly))
        order << button;
    order << QList<QWidget *>{Btn_TypeMyself, Btn_Save, Btn_Cancel};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(Btn_Save, &QPushButton::clicked, this, &FirstStartDialog::save);
    connect(Btn_TypeMyself, &QPushButton::clicked, this, &FirstStartDialog::typeMyself);
    connect(Btn_Cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(Edt_Host, &QLineEdit::textChanged, this, &FirstStartDialog::hostChanged);
    connect(m_oauth, &OAuthLoginBox::oauth2Chosen, this, &FirstStartDialog::loginChosen);
    connect(m_oauth, &OAuthLoginBox::signedIn, this, [this](const ConfigSettings &account) {
        m_signIns.push_back(account);
    });
    // A login name that was the address follows the address as it is corrected.
    connect(Edt_FromAdd, &QLineEdit::textChanged, this, [this](const QString &address) {
        if (Edt_User->text() == m_address)
            Edt_User->setText(address);
        m_address = address;
    });
    // The login as the first-run file has it: the password, until a provider that signs
    // in through the browser is found.
    m_serverRows->setRowVisible(authChoice, false);
    loginChosen(oauth2());
}

void FirstStartDialog::found(const AccountDiscovery::Result &result)
{
    LB_Found->setText(result.server ? QStringLiteral("Found in %1.").arg(result.from)
                                    : QStringLiteral("Nothing found: type the server your provider names."));
}

const MailProvider *FirstStartDialog::oauthProvider() const
{
    return MailProviders::oauthBySmtpHost(Edt_Host->text().trimmed().toLower().toStdString());
}

bool FirstStartDialog::oauth2() const
{
    return m_oauth->authChoice()->currentData().toString() == QLatin1String("OAuth2");
}

// A host whose provider signs in through the browser chooses that sign-in, and offers
// the password still (an application password); any other host takes the password. The
// choice is made again only when the host's provider changes, not at every key.
void FirstStartDialog::hostChanged()
{
    const MailProvider *provider = oauthProvider();
    if (provider == m_hostProvider)
        return;
    m_hostProvider = provider;
    m_serverRows->setRowVisible(m_oauth->authChoice(), provider != nullptr);
    m_oauth->choose(provider);
}

// The sign-in needs no password; the group of the sign-in shows itself.
void FirstStartDialog::loginChosen(bool oauth2)
{
    LB_Pass->setVisible(!oauth2);
    Edt_Pass->setVisible(!oauth2);
    // The rows shown or hidden change the height the dialog needs.
    if (isVisible())
        adjustSize();
}

ConfigForm FirstStartDialog::typedForm() const
{
    ConfigForm f = m_form;
    f.Edt_FromName = StoredText::fromQString(Edt_FromName->text().trimmed());
    f.Edt_FromAdd = StoredText::fromQString(Edt_FromAdd->text().trimmed());
    f.Edt_Host = Edt_Host->text().trimmed().toStdString();
    f.Edt_Port = Edt_Port->value();
    f.CBX_Security = static_cast<SmtpSecurity>(std::clamp(CBX_Security->currentIndex(), 0, 3));
    const QString user = Edt_User->text().trimmed();
    f.Edt_User = StoredText::fromQString(user.isEmpty() ? Edt_FromAdd->text().trimmed() : user);
    if (!oauth2()) {
        f.Edt_Pass = StoredText::fromQString(Edt_Pass->text());
        return f;
    }
    // The sign-in's choice, provider and client as its boxes show them.
    for (const auto &[key, box] : m_oauth->boxes()) {
        const auto *choice = qobject_cast<const QComboBox *>(box);
        const QString text = choice ? choice->currentData().toString() : static_cast<const QLineEdit *>(box)->text();
        f.*std::get<std::string ConfigForm::*>(ConfigFields::find(ConfigFields::form, key)->member) =
            StoredText::fromQString(text);
    }
    f.Edt_Pass.clear();
    return f;
}

ConfigSettings FirstStartDialog::typedSettings() const
{
    return typedForm().appliedTo(m_services.settings);
}

void FirstStartDialog::save()
{
    UserDialogs::Asker asker(m_services.dialogs, this);
    if (!AccountDiscovery::split(Edt_FromAdd->text()) || Edt_Host->text().trimmed().isEmpty()) {
        m_services.dialogs.messageBox(UserDialogs::Kind::Information, windowTitle(),
                                      QStringLiteral("Type your mail address and press Find settings, or type the "
                                                     "SMTP host."));
        return;
    }
    // Saved as the configuration dialog saves.
    if (!TypedFormSave::save(m_services, m_password, typedForm(), windowLayout))
        return;
    m_form = ConfigForm::showing(m_services.settings);
    m_oauth->stopSignIn();
    forgetUnsavedSignIns();
    // Saved without the sign-in: the SMTP page's Sign in follows.
    m_wantsSmtpPage = m_services.settings.smtpOAuth2() && !OAuthTokens::shared().signedInNow(m_services.settings);
    accept();
}

void FirstStartDialog::typeMyself()
{
    m_wantsSmtpPage = true;
    reject();
}

void FirstStartDialog::reject()
{
    m_oauth->stopSignIn();
    // The SMTP page that follows "type the settings myself" may still save the sign-in.
    if (!m_wantsSmtpPage)
        forgetUnsavedSignIns();
    QDialog::reject();
}

void FirstStartDialog::forgetUnsavedSignIns()
{
    const ConfigSettings &saved = m_services.settings;
    const QString kept = saved.smtpOAuth2() ? OAuthSettings::keyOf(saved) : QString();
    QStringList problems;
    for (const ConfigSettings &account : std::exchange(m_signIns, {})) {
        QString problem;
        if (OAuthSettings::keyOf(account) != kept && !OAuthTokens::shared().signOut(account, problem))
            problems << problem;
    }
    // Who signed in is kept only with the account it signed in for.
    if (kept.isEmpty())
        m_services.settings.ACC_OAuthAccount = m_accountBefore;
    if (!problems.isEmpty()) {
        UserDialogs::Asker asker(m_services.dialogs, this);
        m_services.dialogs.messageBox(UserDialogs::Kind::Warning, windowTitle(),
                                      QStringLiteral("The sign-in that was not saved could not be removed:\n")
                                          + problems.join(QLatin1Char('\n')));
    }
}
