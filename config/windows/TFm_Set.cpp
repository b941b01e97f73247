#include "config/windows/TFm_Set.h"
#include "config/windows/NamedWidget.h"

#include "config/ConfigFile.h"
#include "config/ConfigForm.h"
#include "config/MailProviders.h"
#include "config/windows/AccountFinder.h"
#include "config/windows/ConfigDatabaseBox.h"
#include "config/windows/LetterLookBoxes.h"
#include "config/windows/NumberBox.h"
#include "config/windows/OAuthLoginBox.h"
#include "config/windows/TypedFormSave.h"
#include "os/DataPaths.h"
#include "product/AppInfo.h"
#include "text/StoredText.h"
#include "ui/HelpLauncher.h"
#include "ui/UserDialogs.h"
#include "ui/WindowServices.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QSlider>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace {

QLineEdit *editBox(const char *name)
{
    return named<QLineEdit>(name);
}

// A box shows one value of the form and gives it back; the value's type says which
// control it is (a number in a NumberBox or a slider).
void showValue(QWidget *box, int value)
{
    if (auto *number = qobject_cast<NumberBox *>(box))
        number->setValue(value);
    else
        static_cast<QSlider *>(box)->setValue(value);
}
void showValue(QWidget *box, bool on)
{
    static_cast<QCheckBox *>(box)->setChecked(on);
}
void showValue(QWidget *box, const std::string &text)
{
    if (auto *database = qobject_cast<ConfigDatabaseBox *>(box)) {
        database->setValue(StoredText::toQString(text));
        return;
    }
    // A choice among words: the item whose data is the word (else the first); a box that
    // takes typing (the font) shows the word itself.
    if (auto *choice = qobject_cast<QComboBox *>(box)) {
        if (choice->isEditable())
            choice->setEditText(StoredText::toQString(text));
        else
            choice->setCurrentIndex(std::max(0, choice->findData(StoredText::toQString(text))));
        return;
    }
    static_cast<QLineEdit *>(box)->setText(StoredText::toQString(text));
}
void showValue(QWidget *box, SmtpSecurity security)
{
    static_cast<QComboBox *>(box)->setCurrentIndex(static_cast<int>(security));
}

int shownValue(const QWidget *box, int)
{
    if (const auto *number = qobject_cast<const NumberBox *>(box))
        return number->value();
    return static_cast<const QSlider *>(box)->value();
}
bool shownValue(const QWidget *box, bool)
{
    return static_cast<const QCheckBox *>(box)->isChecked();
}
// A text left as it was keeps its bytes (a value that reads as UTF-8 may have other bytes
// when written back from its characters).
std::string shownValue(const QWidget *box, const std::string &saved)
{
    const auto *choice = qobject_cast<const QComboBox *>(box);
    if (choice && !choice->isEditable())
        return StoredText::fromQString(choice->currentData().toString());
    const auto *database = qobject_cast<const ConfigDatabaseBox *>(box);
    const QString text = database ? database->value()
                         : choice ? choice->currentText().trimmed()
                                  : static_cast<const QLineEdit *>(box)->text();
    return text == StoredText::toQString(saved) ? saved : StoredText::fromQString(text);
}
SmtpSecurity shownValue(const QWidget *box, SmtpSecurity)
{
    return static_cast<SmtpSecurity>(std::clamp(static_cast<const QComboBox *>(box)->currentIndex(), 0, 3));
}

QLabel *label(const char *text)
{
    return new QLabel(QString::fromLatin1(text));
}

// The label names its field for screen readers (and would lead its mnemonic to it).
QLabel *buddy(QLabel *label, QWidget *field)
{
    label->setBuddy(field);
    return label;
}

} // namespace

TFm_Set::TFm_Set(WindowServices &services, ConfigForm &form, SmtpPassword &password, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , m_services(services)
    , m_form(form)
    , m_password(password)
{
    setObjectName(QStringLiteral("Fm_Set"));
    setWindowTitle(QStringLiteral("Configuration"));

    PGS_Setting = named<QTabWidget>("PGS_Setting");
    // Every tab shows whole, however large the font: no scroll arrows hiding a page.
    PGS_Setting->setUsesScrollButtons(false);
    // Screen readers list the page box itself as a focusable control (its tab bar takes the focus).
    PGS_Setting->setAccessibleName(QStringLiteral("Configuration pages"));
    PGS_Setting->addTab(buildPicturePage(), QStringLiteral("&Output Mail Picture"));
    PGS_Setting->addTab(buildSmtpPage(), QStringLiteral("S&MTP Account "));
    PGS_Setting->addTab(buildInfoPage(), QStringLiteral(" &Personal  Info"));

    Button1 = named<QPushButton>("Button1", QStringLiteral("&Save"));
    Button2 = named<QPushButton>("Button2", QStringLiteral("&Cancel"));
    Button3 = named<QPushButton>("Button3", QStringLiteral("&Help"));
    Button1->setDefault(true);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton *b : {Button1, Button2, Button3})
        buttons->addWidget(b);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(PGS_Setting);
    layout->addLayout(buttons);
    // The dialog takes the room its pages need (larger with large fonts, or with more rows)
    // and no less than its usual size; it can be made larger, never smaller than the pages.
    layout->setSizeConstraint(QLayout::SetMinimumSize);
    resize(sizeHint().expandedTo(QSize(440, 389)));


    // The page control's tabs, the fields of each page, then the buttons below. The page
    // control takes the focus through its tab bar, which is what the order must name:
    // with the control itself the buttons after it fell out of the Tab cycle.
    QWidget *const tabs = PGS_Setting->findChild<QTabBar *>();
    const QList<QWidget *> order = {tabs ? tabs : PGS_Setting, Edt_PW, Edt_PH, Edt_ML, Edt_MR, Edt_MT, Edt_MB, CB_PN,
                                    CB_Progressive, CB_ShortLastPage, CB_FooterLink, TB_Quality, Button4,
                                    m_look->CB_Sharp, m_look->CB_JpegOnly, m_look->CB_TextBelow,
                                    m_look->CBX_LetterFont, m_look->Edt_LetterFontSize,
                                    Edt_Host, Edt_Port, CBX_Security, Edt_User, Edt_Pass, Edt_SizeLimit,
                                    m_oauth->authChoice(), m_oauth, m_database->CB_ConfigDatabase,
                                    m_database->Edt_ConfigDatabase,
                                    Edt_FromName, Edt_FromAdd, Edt_ReplyName, Edt_ReplyAdd,
                                    Button1, Button2, Button3};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(Button1, &QPushButton::clicked, this, &TFm_Set::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    connect(Button3, &QPushButton::clicked, this, &TFm_Set::Button3Click);
    connect(Button4, &QPushButton::clicked, this, &TFm_Set::Button4Click);
    connect(CBX_Security, &QComboBox::activated, this, &TFm_Set::CBX_SecurityActivated);

    // Ctrl+Tab and Ctrl+Shift+Tab wherever the focus is, not only inside the pages.
    auto *nextPage = new QAction(this);
    nextPage->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Tab));
    connect(nextPage, &QAction::triggered, this, [this] { turnPage(1); });
    auto *previousPage = new QAction(this);
    previousPage->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab));
    connect(previousPage, &QAction::triggered, this, [this] { turnPage(-1); });
    addActions({nextPage, previousPage});

    fillControls();
    Button1->setFocus();
}

QWidget *TFm_Set::buildPicturePage()
{
    auto *page = named<QWidget>("TBS_Pic");

    Edt_PW = numberBox("Edt_PW", ConfigKey::PIC_W);
    Edt_PH = numberBox("Edt_PH", ConfigKey::PIC_H);
    auto *size = new QGroupBox(QStringLiteral(" Picture Size  (Pixel) "));
    auto *sizeRows = new QFormLayout(size);
    sizeRows->addRow(buddy(label("Width : "), Edt_PW), Edt_PW);
    sizeRows->addRow(buddy(label("Height : "), Edt_PH), Edt_PH);

    Edt_ML = numberBox("Edt_ML", ConfigKey::PIC_ML);
    Edt_MR = numberBox("Edt_MR", ConfigKey::PIC_MR);
    Edt_MT = numberBox("Edt_MT", ConfigKey::PIC_MT);
    Edt_MB = numberBox("Edt_MB", ConfigKey::PIC_MB);
    auto *margin = new QGroupBox(QStringLiteral(" Margin Space (Pixel)  "));
    auto *marginRows = new QFormLayout(margin);
    marginRows->addRow(buddy(label("Left: "), Edt_ML), Edt_ML);
    marginRows->addRow(buddy(label("Right: "), Edt_MR), Edt_MR);
    marginRows->addRow(buddy(label("Top: "), Edt_MT), Edt_MT);
    marginRows->addRow(buddy(label("Bottom: "), Edt_MB), Edt_MB);

    // The labels say "Left" and "Width"; the names say of what.
    const std::pair<QWidget *, const char *> names[] = {
        {Edt_PW, "Picture width"}, {Edt_PH, "Picture height"}, {Edt_ML, "Left margin"},
        {Edt_MR, "Right margin"},  {Edt_MT, "Top margin"},     {Edt_MB, "Bottom margin"}};
    for (const auto &[field, name] : names)
        field->setAccessibleName(QLatin1String(name));

    CB_PN = box(ConfigKey::PIC_PageNumber, named<QCheckBox>("CB_PN", QStringLiteral("Show Page &Number")));

    // The size group with the page-number box under it beside the margin group.
    auto *left = new QVBoxLayout;
    left->addWidget(size);
    left->addSpacing(6);
    left->addWidget(CB_PN);
    left->addStretch();
    auto *groups = new QHBoxLayout;
    groups->setSpacing(12);
    groups->addLayout(left, 1);
    groups->addWidget(margin, 1);

    TB_Quality = box(ConfigKey::PIC_Quality, named<QSlider>("TB_Quality", Qt::Horizontal));
    TB_Quality->setRange(ConfigForm::Quality.min, ConfigForm::Quality.max);
    TB_Quality->setSingleStep(1);
    TB_Quality->setPageStep(10);
    TB_Quality->setTickPosition(QSlider::NoTicks);
    Button4 = named<QPushButton>("Button4", QStringLiteral("&Default"));
    Button4->setAutoDefault(false);

    auto *scale = new QHBoxLayout;
    scale->addWidget(label("Low"));
    scale->addStretch();
    scale->addWidget(label("mid"));
    scale->addStretch();
    scale->addWidget(label("High"));
    auto *quality = new QGridLayout;
    quality->addWidget(buddy(label("Picture Quality:"), TB_Quality), 0, 0, 1, 2);
    TB_Quality->setAccessibleName(QStringLiteral("Picture quality"));
    quality->addWidget(TB_Quality, 1, 0);
    quality->addWidget(Button4, 1, 1);
    quality->addLayout(scale, 2, 0);
    quality->setColumnStretch(0, 1);
    quality->setHorizontalSpacing(12);
    quality->setVerticalSpacing(4);

    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->setSpacing(12);
    layout->addLayout(groups);
    layout->addSpacing(4);
    layout->addLayout(quality);

    // How the picture mail is made: smaller pictures, a short last page, the credit link.
    CB_Progressive = box(ConfigKey::PIC_Progressive,
                         named<QCheckBox>("CB_Progressive", QStringLiteral("Progressive pictures")));
    CB_ShortLastPage = box(ConfigKey::PIC_ShortLastPage,
                           named<QCheckBox>("CB_ShortLastPage", QStringLiteral("Short last page")));
    CB_FooterLink = box(ConfigKey::PIC_FooterLink,
                        named<QCheckBox>("CB_FooterLink", QStringLiteral("Credit link at the end")));
    auto *mail = new QGridLayout;
    mail->setVerticalSpacing(4);
    mail->addWidget(CB_Progressive, 0, 0);
    mail->addWidget(CB_ShortLastPage, 0, 1);
    mail->addWidget(CB_FooterLink, 1, 0);
    layout->addLayout(mail);
    m_look = new LetterLookBoxes(page);
    box(ConfigKey::PIC_Sharp, m_look->CB_Sharp);
    box(ConfigKey::PIC_JpegOnly, m_look->CB_JpegOnly);
    box(ConfigKey::PIC_TextBelow, m_look->CB_TextBelow);
    box(ConfigKey::LET_FontName, m_look->CBX_LetterFont);
    box(ConfigKey::LET_FontSize, m_look->Edt_LetterFontSize);
    layout->addWidget(m_look);
    layout->addStretch();

    return page;
}

QWidget *TFm_Set::buildSmtpPage()
{
    auto *page = named<QWidget>("TBS_SMTP");
    Edt_Host = box(ConfigKey::ACC_SMTPHost, editBox("Edt_Host"));
    Edt_Port = numberBox("Edt_Port", ConfigKey::ACC_SMTPPort);
    Edt_User = box(ConfigKey::ACC_SMTPUser, editBox("Edt_User"));
    // A white field keeps black text on a dark desktop too.
    QPalette white = Edt_User->palette();
    white.setColor(QPalette::Base, Qt::white);
    white.setColor(QPalette::Text, Qt::black);
    Edt_User->setPalette(white);
    Edt_Pass = box(ConfigKey::ACC_SMTPPass, editBox("Edt_Pass"));
    Edt_Pass->setEchoMode(QLineEdit::Password);
    Edt_Pass->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
    CBX_Security = box(ConfigKey::ACC_SMTPSecurity, named<QComboBox>("CBX_Security"));
    // In the order of SmtpSecurity.
    CBX_Security->addItems({QStringLiteral("Automatic"), QStringLiteral("SSL/TLS"), QStringLiteral("STARTTLS"),
                            QStringLiteral("None")});
    CBX_Security->setToolTip(QStringLiteral("Automatic: SSL/TLS on port 465, otherwise STARTTLS whenever the server "
                                            "offers it"));
    LB_PassPlace = named<QLabel>("LB_PassPlace");
    LB_PassPlace->setWordWrap(true);
    // Room for the sentence wrapped at large fonts: a wrapped label asks for one line only,
    // and the pages are as high as they ask.
    LB_PassPlace->setMinimumHeight(3 * LB_PassPlace->fontMetrics().lineSpacing());
    // Carried in the file, consulted by no send path: kept but not shown.
    CKBox_NeedLogin = box(ConfigKey::ACC_SMTPNeedLogin,
                          named<QCheckBox>("CKBox_NeedLogin", QStringLiteral("SMTP server need authentication")));
    CKBox_NeedLogin->setVisible(false);

    auto *group = new QGroupBox(QStringLiteral("Send mail direct by this accounts"));
    auto *rows = new QFormLayout(group);
    rows->setVerticalSpacing(10);
    rows->addRow(buddy(label("Host : "), Edt_Host), Edt_Host);
    rows->addRow(buddy(label("Port: "), Edt_Port), Edt_Port);
    rows->addRow(buddy(label("Security: "), CBX_Security), CBX_Security);
    rows->addRow(buddy(label("Accounts: "), Edt_User), Edt_User);
    // The login: the password, or the browser's sign-in with its own group below.
    m_oauth = new OAuthLoginBox(m_services);
    for (const auto &[key, widget] : m_oauth->boxes())
        box(key, widget);
    m_oauth->presetChosen = [this](const MailProvider &provider) {
        Edt_Host->setText(QString::fromLatin1(provider.smtpHost.data(), static_cast<qsizetype>(provider.smtpHost.size())));
        Edt_Port->setValue(provider.smtpPort);
        CBX_Security->setCurrentIndex(static_cast<int>(provider.security));
    };
    m_oauth->currentSettings = [this] { return readControls().appliedTo(m_services.settings); };
    rows->addRow(buddy(label("Password: "), Edt_Pass), Edt_Pass);
    // The size above which attaching a file asks first (0: never); the box reads digits
    // only, so its unit stands beside it.
    Edt_SizeLimit = numberBox("Edt_SizeLimit", ConfigKey::ACC_MailSizeLimit);
    Edt_SizeLimit->setToolTip(QStringLiteral("Attaching files that make a mail larger than this asks first; 0: never"));
    auto *sizeRow = new QHBoxLayout;
    sizeRow->addWidget(Edt_SizeLimit, 1);
    sizeRow->addWidget(label("MB"));
    sizeRow->addStretch(2);
    rows->addRow(buddy(label("Mail size limit: "), Edt_SizeLimit), sizeRow);
    rows->addRow(LB_PassPlace);
    rows->addRow(CKBox_NeedLogin);

    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->addWidget(group);
    auto *login = new QFormLayout;
    login->addRow(buddy(label("Login: "), m_oauth->authChoice()), m_oauth->authChoice());
    layout->addLayout(login);
    layout->addWidget(m_oauth);
    // Find settings from the address (asking the configuration database the page shows),
    // and a test of the account without sending.
    m_database = box(ConfigKey::ACC_ConfigDatabase, new ConfigDatabaseBox(page));
    layout->addWidget(m_database);
    m_accountFinder = new AccountFinder(
        m_services, {Edt_Host, Edt_Port, CBX_Security, Edt_User, Edt_Pass, [this] { return Edt_FromAdd->text(); }}, page);
    m_accountFinder->database = [this] { return m_database->value(); };
    connect(m_database, &ConfigDatabaseBox::changed, m_accountFinder, &AccountFinder::updateNote);
    m_accountFinder->updateNote();
    layout->addWidget(m_accountFinder);
    layout->addStretch();
    connect(m_oauth, &OAuthLoginBox::oauth2Chosen, this, [this](bool on) {
        Edt_Pass->setEnabled(!on);
        LB_PassPlace->setVisible(!on);
    });
    return page;
}

QWidget *TFm_Set::buildInfoPage()
{
    auto *page = named<QWidget>("TBS_info");
    Edt_FromName = box(ConfigKey::ACC_FromName, editBox("Edt_FromName"));
    Edt_FromAdd = box(ConfigKey::ACC_FromAdd, editBox("Edt_FromAdd"));
    Edt_ReplyName = box(ConfigKey::ACC_ReplyName, editBox("Edt_ReplyName"));
    Edt_ReplyAdd = box(ConfigKey::ACC_ReplyAdd, editBox("Edt_ReplyAdd"));

    auto *group = new QGroupBox(QStringLiteral(" Personal  Info "));
    auto *rows = new QFormLayout(group);
    rows->setVerticalSpacing(10);
    rows->addRow(buddy(label("FromName: "), Edt_FromName), Edt_FromName);
    rows->addRow(buddy(label("From Add: "), Edt_FromAdd), Edt_FromAdd);
    rows->addRow(buddy(label("Reply Name: "), Edt_ReplyName), Edt_ReplyName);
    rows->addRow(buddy(label("Reply Add : "), Edt_ReplyAdd), Edt_ReplyAdd);

    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->addWidget(group);
    layout->addStretch();

    return page;
}

NumberBox *TFm_Set::numberBox(const char *name, ConfigKey key)
{
    auto *number = box(key, named<NumberBox>(name, *ConfigKeys::of(key).range));
    number->setFixedWidth(72);
    return number;
}

QWidget *TFm_Set::boxOf(ConfigKey key) const
{
    for (const auto &[boxKey, widget] : m_boxes)
        if (boxKey == key)
            return widget;
    return nullptr;
}

void TFm_Set::fillControls()
{
    const ConfigForm f = m_inAdvance.value_or(m_form);
    m_inAdvance.reset();
    for (const auto &[key, widget] : m_boxes)
        std::visit([&, w = widget](auto value) { showValue(w, f.*value); },
                   ConfigFields::find(ConfigFields::form, key)->member);
    LB_PassPlace->setText(m_password.where(m_services.settings));
    m_oauth->valuesShown();
}

ConfigForm TFm_Set::readControls() const
{
    ConfigForm f = m_form;
    for (const auto &[key, widget] : m_boxes)
        std::visit([&, w = widget](auto value) { f.*value = shownValue(w, m_form.*value); },
                   ConfigFields::find(ConfigFields::form, key)->member);
    return f;
}

void TFm_Set::turnPage(int step)
{
    const bool inPages = PGS_Setting->isAncestorOf(QApplication::focusWidget());
    PGS_Setting->setCurrentIndex(ConfigForm::pageAfter(PGS_Setting->currentIndex(), step));
    // The focus goes with the page it was on, to the new page's first field.
    if (inPages) {
        QWidget *first[] = {Edt_PW, Edt_Host, Edt_FromName};
        first[PGS_Setting->currentIndex()]->setFocus(Qt::TabFocusReason);
    }
}

void TFm_Set::setPage(int page)
{
    if (page >= 0 && page < PGS_Setting->count())
        PGS_Setting->setCurrentIndex(page);
}

void TFm_Set::showEvent(QShowEvent *event)
{
    // Centred on the main window at every showing (on the screen without one).
    const QWidget *window = m_centreOn ? m_centreOn.data() : parentWidget();
    const QRect over = window ? window->window()->frameGeometry()
                              : (screen() ? screen()->availableGeometry() : QRect());
    if (over.isValid())
        move(over.center() - QPoint(frameGeometry().width() / 2, frameGeometry().height() / 2));
    // The saved values, whatever an earlier showing left in the controls.
    if (!event->spontaneous())
        fillControls();
    QDialog::showEvent(event);
}

void TFm_Set::reject()
{
    // Cancel, Escape and the window's close: the controls show the saved values again.
    fillControls();
    QDialog::reject();
}

void TFm_Set::Button1Click()
{
    if (!TypedFormSave::save(m_services, m_password, readControls(), m_layout))
        return;
    // From now on the saved values are the ones the dialog opens with and exit writes.
    m_form = ConfigForm::showing(m_services.settings);
    fillControls();
    accept();
}

void TFm_Set::Button3Click()
{
    m_services.help.HtmlHelp(this, m_services.paths.executableFolder + ConfigForm::helpPage(PGS_Setting->currentIndex()));
}

// Cleartext is a choice the person makes knowing what it means.
void TFm_Set::CBX_SecurityActivated(int index)
{
    if (static_cast<SmtpSecurity>(index) != SmtpSecurity::None)
        return;
    m_services.dialogs.messageBox(UserDialogs::Kind::Warning, QString::fromLatin1(AppInfo::ApplicationTitle),
                                  QStringLiteral("With the connection security \"None\" nothing is encrypted: your "
                                                 "password and your mails travel readable by anyone on the way to "
                                                 "the server.\r\nChoose it only for a server on your own machine "
                                                 "or network."));
}

void TFm_Set::Button4Click()
{
    TB_Quality->setValue(ConfigForm::DefaultQuality);
}

void TFm_Set::fillInAdvance(const ConfigForm &typed)
{
    m_inAdvance = typed;
}
