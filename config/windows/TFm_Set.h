#pragma once

#include "config/ConfigForm.h"
#include "config/MainWindowLayout.h"
#include "config/SmtpPassword.h"

#include <QDialog>
#include <QPointer>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

class AccountFinder;
class ConfigDatabaseBox;
class LetterLookBoxes;
class NumberBox;
class OAuthLoginBox;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QTabWidget;
struct WindowServices;

// The configuration dialog: picture settings, SMTP account and personal information on
// three pages. Created once at start, over the values start-up loaded (ConfigState): the
// form it is given, which the save at exit writes, and where the SMTP password is kept.
// Shown modally any number of times: Save writes the whole configuration, takes the saved
// values into the form and closes; Cancel and Escape close, and the controls go back to
// the values they showed when the dialog opened, so nothing typed and cancelled is
// written at exit or used for a mail. Ctrl+Tab and Ctrl+Shift+Tab turn the pages.
class TFm_Set : public QDialog
{
    Q_OBJECT

public:
    // With a keyring behind `password` the SMTP password is kept there when it answers
    // (else in Config.dat).
    TFm_Set(WindowServices &services, ConfigForm &form, SmtpPassword &password, QWidget *parent = nullptr);

    // Where Save takes the main window's and the tips window's keys from; without one,
    // it writes them as they stand in the file.
    void setWindowLayout(std::function<MainWindowLayout()> source) { m_layout = std::move(source); }

    // The window the dialog is centred on when shown (by default its parent).
    void centreOn(QWidget *window) { m_centreOn = window; }

    // The page to show next (0 pictures, 1 SMTP account, 2 personal information).
    void setPage(int page);

    void reject() override;

    // The box that shows the form's value of `key`; null when the dialog has none.
    QWidget *boxOf(ConfigKey key) const;

    // The next showing shows `typed` (what the first start's questions were answered with)
    // in place of the saved values; Save writes it, Cancel goes back to the saved values
    // and writes nothing.
    void fillInAdvance(const ConfigForm &typed);

protected:
    void showEvent(QShowEvent *event) override;

private:
    QWidget *buildPicturePage();
    QWidget *buildSmtpPage();
    QWidget *buildInfoPage();
    // Records `widget` as the box of `key`'s value in the form; returns it.
    template <class W>
    W *box(ConfigKey key, W *widget)
    {
        m_boxes.emplace_back(key, widget);
        return widget;
    }
    NumberBox *numberBox(const char *name, ConfigKey key);
    void fillControls();
    ConfigForm readControls() const;
    void turnPage(int step);

    void Button1Click(); // Save
    void Button3Click(); // Help
    void Button4Click(); // Default quality
    void CBX_SecurityActivated(int index);

    WindowServices &m_services;
    ConfigForm &m_form;
    SmtpPassword &m_password;
    std::function<MainWindowLayout()> m_layout;
    QPointer<QWidget> m_centreOn;
    // The box of every value of the form (ConfigFields::form), by its key.
    std::vector<std::pair<ConfigKey, QWidget *>> m_boxes;

    QTabWidget *PGS_Setting = nullptr;
    NumberBox *Edt_PW = nullptr;
    NumberBox *Edt_PH = nullptr;
    NumberBox *Edt_ML = nullptr;
    NumberBox *Edt_MR = nullptr;
    NumberBox *Edt_MT = nullptr;
    NumberBox *Edt_MB = nullptr;
    QSlider *TB_Quality = nullptr;
    QPushButton *Button4 = nullptr;
    QCheckBox *CB_PN = nullptr;
    QCheckBox *CB_Progressive = nullptr;
    QCheckBox *CB_ShortLastPage = nullptr;
    QCheckBox *CB_FooterLink = nullptr;
    LetterLookBoxes *m_look = nullptr;
    QLineEdit *Edt_Host = nullptr;
    NumberBox *Edt_Port = nullptr;
    NumberBox *Edt_SizeLimit = nullptr;
    QLineEdit *Edt_User = nullptr;
    QLineEdit *Edt_Pass = nullptr;
    QCheckBox *CKBox_NeedLogin = nullptr;
    QComboBox *CBX_Security = nullptr;
    QLabel *LB_PassPlace = nullptr;
    OAuthLoginBox *m_oauth = nullptr;
    QLineEdit *Edt_FromName = nullptr;
    QLineEdit *Edt_FromAdd = nullptr;
    QLineEdit *Edt_ReplyName = nullptr;
    QLineEdit *Edt_ReplyAdd = nullptr;
    QPushButton *Button1 = nullptr;
    QPushButton *Button2 = nullptr;
    QPushButton *Button3 = nullptr;
    AccountFinder *m_accountFinder = nullptr;
    ConfigDatabaseBox *m_database = nullptr;
    std::optional<ConfigForm> m_inAdvance; // fillInAdvance's form, until shown
};
