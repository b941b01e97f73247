#pragma once

#include "shell/SplashState.h"
#include "ui/WindowServices.h"

#include <QDialog>
#include <functional>

class QLabel;
class QTimer;

// The About window, which is also the splash while the program starts: a large picture
// and a link to the home page, without a border. As the splash it closes itself on the
// first tick of its timer, and gives way at once to any message box (it stays on top and
// would hide it); opened from the Help menus it closes on a click on the picture.
class TFm_About : public QDialog
{
    Q_OBJECT

public:
    explicit TFm_About(WindowServices &services, QWidget *parent = nullptr);

    QLabel *Image1 = nullptr;
    QLabel *Label1 = nullptr; // how the window closes, or that the program is starting
    QLabel *Label4 = nullptr; // the home page link
    QTimer *TM_close = nullptr;

    // Whether the tips window is showing; when it is, closing it makes the main window
    // usable, not the splash. app/ connects it to the tips window.
    std::function<bool()> tipsShowing;

    // Start-up: shows the window as the splash and paints it at once, while the other
    // windows are made; then starts the close timer.
    void showSplash();
    void startSplashTimer();
    const SplashState &state() const { return m_state; }

    void TM_closeTimer();
    void Image1Click();
    void Label4Click();

    // Escape closes the window only where a click on the picture would.
    void reject() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    WindowServices m_services; // a copy: the references outlive the bundle they came in
    SplashState m_state;
};
