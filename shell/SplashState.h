#pragma once

// The About window's two uses. Start-up shows it as the splash and starts its close timer;
// the Help menus show it with the timer stopped. While the timer runs, clicks on the
// picture do nothing; the first tick closes the splash.
class SplashState
{
public:
    bool timerEnabled() const { return m_timerEnabled; }

    // Start-up only.
    void startTimer() { m_timerEnabled = true; }

    // A click on the picture closes the window only when it was opened from a menu.
    bool pictureClickCloses() const { return !m_timerEnabled; }

    // The timer's first tick: it stops, and the main window becomes usable unless the tips
    // window is showing (closing that window enables it). True: enable the main window.
    bool timerFired(bool tipsShowing)
    {
        m_timerEnabled = false;
        return !tipsShowing;
    }

private:
    bool m_timerEnabled = false;
};
