#pragma once

// The About window's two uses. Start-up shows it as the splash and starts its close timer;
// the Help menus show it with the timer stopped. While the timer runs, clicks on the
// picture do nothing; the first tick closes the splash.
class SplashState
{
public:
    bool timerEnabled() const { return m_timerEnabled; }

    // Start-up shows the window as the splash, always on top, until its timer fires.
    void showAsSplash() { m_splash = true; }
    bool isSplash() const { return m_splash; }
    // A message box appeared while the program starts (a store it cannot read, say): the
    // splash would lie over it, and the program would seem stuck. True: the splash goes
    // now; its timer still makes the main window usable.
    bool messageBoxShown()
    {
        const bool gives = m_splash;
        m_splash = false;
        return gives;
    }

    // Start-up only.
    void startTimer() { m_timerEnabled = true; }

    // A click on the picture closes the window only when it was opened from a menu.
    bool pictureClickCloses() const { return !m_timerEnabled; }

    // The timer's first tick: it stops, and the main window becomes usable unless the tips
    // window is showing (closing that window enables it). True: enable the main window.
    bool timerFired(bool tipsShowing)
    {
        m_timerEnabled = false;
        m_splash = false;
        return !tipsShowing;
    }

private:
    bool m_timerEnabled = false;
    bool m_splash = false;
};
