#pragma once

#include "ui/WindowOpener.h"

#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>

class TFM_AddEdit;
class TFM_AddLst;
class TFM_Send;
class TFM_Tips;
class TFm_About;
class TFm_Set;
struct ConfigForm;
struct MainWindowLayout;
class SmtpPassword;
struct WindowServices;

// The program's long-lived windows, opened for whoever asks. The About window (the
// splash) and the tips window are created at start-up, once the services exist, since the
// windows take the services and the services take this opener. The address editor and
// list, the configuration dialog and the send dialog are made the first time they are
// asked for (prepareDialogs says what with), so that the main window paints without
// waiting for them; once made, each lives as long as the program.
class AppWindows : public WindowOpener
{
public:
    AppWindows();
    ~AppWindows() override;

    TFm_About &createAbout(WindowServices &services);
    // What the dialogs made on demand are made with: the configuration start-up loaded
    // (the dialog's values and the password's place), and the main window's keys as the
    // window stands, which the configuration dialog's Save writes.
    void prepareDialogs(WindowServices &services, ConfigForm &form, SmtpPassword &password,
                        std::function<MainWindowLayout()> windowLayout);
    TFM_Tips &createTips(WindowServices &services);
    void setMainWindow(QWidget *window) { m_mainWindow = window; }
    // The services the windows opened later (the previews) are made with.
    void setServices(WindowServices &services) { m_services = &services; }

    TFm_About *about() const { return m_about.get(); }
    // These four make their window on the first call; null before prepareDialogs.
    TFM_AddEdit *addressEditor();
    TFM_AddLst *addressList();
    TFm_Set *configuration();
    TFM_Send *sendDialog();
    TFM_Tips *tips() const { return m_tips.get(); }
    // The tips window is to show once the main window has been painted: the splash, going
    // before it comes, leaves the main window disabled for it as if it were showing.
    void setTipsPending(bool pending) { m_tipsPending = pending; }
    bool tipsPending() const { return m_tipsPending; }

    // The first start's account questions (FirstStartDialog), then the configuration's
    // SMTP page when the person chose to type the settings (it opens with what was typed)
    // or saved without the browser's sign-in. Start-up asks for it only when it made
    // Config.dat and no account is set up.
    void showFirstStart();
    void showConfiguration(int page) override;
    bool showAddressList(AddressListUse use, AddressPicks *picks) override;
    void addAddress() override;
    void showTips() override;
    void showAbout() override;
    bool sendDialogShowing() const override;
    bool sendMails(const std::vector<std::int64_t> &positions, SendMode mode) override;
    void showPreview(std::function<PicturePreview::Input()> source, QWidget *owner, bool print) override;
    void setMainWindowEnabled(bool enabled) override;
    // While held, the main window stays disabled whatever the splash or the tips window
    // say; their last word applies when the hold ends.
    void holdMainWindow(bool hold);

private:
    QPointer<QWidget> m_mainWindow;
    bool m_held = false;
    bool m_enabledWhenReleased = false;
    WindowServices *m_services = nullptr;
    // Set by prepareDialogs: what the dialogs made on demand need.
    WindowServices *m_dialogServices = nullptr;
    ConfigForm *m_form = nullptr;
    SmtpPassword *m_password = nullptr;
    std::function<MainWindowLayout()> m_windowLayout;
    std::unique_ptr<TFm_About> m_about;
    std::unique_ptr<TFM_AddEdit> m_addressEditor;
    std::unique_ptr<TFM_AddLst> m_addressList;
    std::unique_ptr<TFm_Set> m_configuration;
    std::unique_ptr<TFM_Send> m_send;
    std::unique_ptr<TFM_Tips> m_tips;
    bool m_tipsPending = false;
};
