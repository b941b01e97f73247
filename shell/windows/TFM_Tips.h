#pragma once

#include "shell/TipsOfTheDay.h"
#include "ui/WindowServices.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;
class QTextEdit;

// "Tips of the day": one tip at a time with "<<" and ">>" to walk through them, and the
// choice whether the window opens at start-up. While it shows, the main window is
// disabled. Created once at start-up; the Help menus show it again modally.
class TFM_Tips : public QDialog
{
    Q_OBJECT

public:
    explicit TFM_Tips(WindowServices &services, QWidget *parent = nullptr);

    QLabel *Label1 = nullptr; // "Did you know ..."
    QLabel *Image1 = nullptr; // the side picture
    QTextEdit *Mo_tips = nullptr;
    QPushButton *Button1 = nullptr; // "<<"
    QPushButton *Button2 = nullptr; // ">>"
    QPushButton *Button3 = nullptr; // "&Close"
    QCheckBox *CHK_Dsp = nullptr;   // "Always show tips at startup"

    // Start-up: shows the window (not modal) when "Always show tips at startup" is on.
    // True when it showed.
    bool showAtStartup();

    const TipsOfTheDay &tips() const { return m_tips; }

    void Button1Click();
    void Button2Click();
    void Button3Click();

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void showTip();

    WindowServices m_services; // a copy: the references outlive the bundle they came in
    TipsOfTheDay m_tips;
};
