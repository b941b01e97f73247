#include "config/windows/FirstStartDialog.h"

#include "config/ConfigFile.h"
#include "config/MailProviders.h"
#include "config/MainWindowLayout.h"
#include "config/SmtpPassword.h"
#include "config/windows/AccountFinder.h"
#include "config/windows/NumberBox.h"
#include "os/AppError.h"
#include "os/DataPaths.h"
#include "product/AppInfo.h"
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
{
    setObjectName(QStringLiteral("FirstStartDialog"));
    setWindowTitle(QStringLiteral("Your mail account"));

    auto *intro = new QLabel(QStringLiteral("Type your name, your mail address and its password. The server is\n"
                                            "found from the address; you see what was found before it is saved."),
                             this);
    Edt_FromName = named<QLineEdit>(this, "Edt_FromName");
    Edt_FromAdd = named<QLineEdit>(this, "Edt_FromAdd");
    Edt_FromAdd->setPlaceholderText(QStringLiteral("you@example.org"));
    Edt_Pass = named<QLineEdit>(this, "Edt_Pass");
    Edt_Pass->setEchoMode(QLineEdit::Password);
    LB_SignIn = named<QLabel>(this, "LB_SignIn");
    LB_SignIn->setText(QStringLiteral("This provider signs in with the browser: no password here.\n"
                                      "Save, then press Sign in on the SMTP page that opens."));
    LB_SignIn->setVisible(false);

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
        return test(a);
    };

    auto *you = new QFormLayout;
    you->addRow(QStringLiteral("&Name:"), Edt_FromName);
    you->addRow(QStringLiteral("&Address:"), Edt_FromAdd);
    LB_Pass = new QLabel(QStringLiteral("&Password:"), this);
    LB_Pass->setBuddy(Edt_Pass);
    you->addRow(LB_Pass, Edt_Pass);
    you->addRow(LB_SignIn);
    auto *server = new QFormLayout;
    server->addRow(m_finder);
    server->addRow(LB_Found);
    server->addRow(QStringLiteral("SMTP &host:"), Edt_Host);
    server->addRow(QStringLiteral("P&ort:"), Edt_Port);
    server->addRow(QStringLiteral("&Security:"), CBX_Security);
    server->addRow(QStringLiteral("&Login name:"), Edt_User);

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
    layout->addLayout(buttons);

    connect(Btn_Save, &QPushButton::clicked, this, &FirstStartDialog::save);
    connect(Btn_TypeMyself, &QPushButton::clicked, this, &FirstStartDialog::typeMyself);
    connect(Btn_Cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(Edt_Host, &QLineEdit::textChanged, this, &FirstStartDialog::loginChanged);
    // A login name that was the address follows the address as it is corrected.
    connect(Edt_FromAdd, &QLineEdit::textChanged, this, [this](const QString &address) {
        if (Edt_User->text() == m_address)
            Edt_User->setText(address);
        m_address = address;
    });
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

// A provider that signs in through the browser needs no password here.
void FirstStartDialog::loginChanged()
{
    const bool oauth2 = oauthProvider() != nullptr;
    LB_Pass->setVisible(!oauth2);
    Edt_Pass->setVisible(!oauth2);
    LB_SignIn->setVisible(oauth2);
    // The test logs in, which needs the sign-in the SMTP page makes.
    if (auto *testButton = m_finder->findChild<QPushButton *>(QStringLiteral("Btn_TestSettings")))
        testButton->setEnabled(!oauth2);
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
    if (const MailProvider *provider = oauthProvider()) {
        f.CBX_Auth = "OAuth2";
        f.CBX_Provider = std::string(provider->name);
        f.Edt_Pass.clear();
    } else {
        f.Edt_Pass = StoredText::fromQString(Edt_Pass->text());
    }
    return f;
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
    MainWindowLayout layout;
    if (windowLayout) {
        layout = windowLayout();
    } else {
        ConfigSettings scratch;
        layout = LoadWindowLayout(scratch, m_services.paths.config);
    }
    // Saved as the configuration dialog saves.
    try {
        m_password.saveForm(m_services.settings, typedForm(), layout, m_services.paths.config);
    } catch (const AppError &e) {
        m_services.dialogs.messageBox(UserDialogs::Kind::Error, QString::fromLatin1(AppInfo::ApplicationTitle),
                                      QString::fromUtf8(e.what()));
        return;
    }
    m_form = ConfigForm::showing(m_services.settings);
    // The sign-in happens on the SMTP page.
    m_wantsSmtpPage = oauthProvider() != nullptr;
    accept();
}

void FirstStartDialog::typeMyself()
{
    m_wantsSmtpPage = true;
    reject();
}
