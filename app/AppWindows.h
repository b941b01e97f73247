#pragma once

#include "ui/WindowOpener.h"

#include <QPointer>
#include <QWidget>
#include <memory>

class TFM_AddEdit;
class TFM_AddLst;
class TFM_Send;
class TFM_Tips;
class TFm_About;
class TFm_Set;
struct ConfigForm;
class SmtpPassword;
struct WindowServices;

// The program's long-lived windows, opened for whoever asks. They are created in the
// start-up order (the About window first, as the splash; the send dialog; the tips
// window) once the services exist, since the windows take the services and the services
// take this opener.
class AppWindows : public WindowOpener
{
public:
    AppWindows();
    ~AppWindows() override;

    TFm_About &createAbout(WindowServices &services);
    TFM_AddEdit &createAddressEditor(WindowServices &services);
    TFM_AddLst &createAddressList(WindowServices &services);
    // Over the configuration start-up loaded: the dialog's values and the password's place.
    TFm_Set &createConfiguration(WindowServices &services, ConfigForm &form, SmtpPassword &password);
    TFM_Send &createSendDialog(WindowServices &services);
    TFM_Tips &createTips(WindowServices &services);
    void setMainWindow(QWidget *window) { m_mainWindow = window; }
    // The services the windows opened later (the previews) are made with.
    void setServices(WindowServices &services) { m_services = &services; }

    TFm_About *about() const { return m_about.get(); }
    TFM_AddEdit *addressEditor() const { return m_addressEditor.get(); }
    TFM_AddLst *addressList() const { return m_addressList.get(); }
    TFm_Set *configuration() const { return m_configuration.get(); }
    TFM_Send *sendDialog() const { return m_send.get(); }
    TFM_Tips *tips() const { return m_tips.get(); }

    void showConfiguration(int page) override;
    bool showAddressList(AddressListUse use, AddressPicks *picks) override;
    void addAddress() override;
    void showTips() override;
    void showAbout() override;
    bool sendDialogShowing() const override;
    bool sendMails(const std::vector<std::int64_t> &positions, SendMode mode) override;
    void showPreview(std::function<PicturePreview::Input()> source, QWidget *owner, bool print) override;
    void setMainWindowEnabled(bool enabled) override;

private:
    QPointer<QWidget> m_mainWindow;
    WindowServices *m_services = nullptr;
    std::unique_ptr<TFm_About> m_about;
    std::unique_ptr<TFM_AddEdit> m_addressEditor;
    std::unique_ptr<TFM_AddLst> m_addressList;
    std::unique_ptr<TFm_Set> m_configuration;
    std::unique_ptr<TFM_Send> m_send;
    std::unique_ptr<TFM_Tips> m_tips;
};
