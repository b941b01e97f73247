// Spell checking a letter of about 200 pages in the composer window: the time until the
// opened letter answers again, the time until the idle checking has done the rest with the
// longest step the window waited for meanwhile, and the time a keystroke takes in the middle
// of the letter, with checking on and off. Prints the figures; the goal is no step over 50 ms
// and keystrokes as fast as without checking.
#include "composer/windows/ComposerEditor.h"
#include "composer/windows/ComposerSpelling.h"
#include "composer/windows/SpellHighlighter.h"
#include "composer/windows/TFM_Cmps.h"
#include "os/DefaultFont.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QTextCursor>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "tests/support/windows/WindowFixture.h"

namespace {

// 9000 lines of about 70 characters (200 pages of 600 x 800), every tenth word misspelt.
std::string longLetter()
{
    static const char *const words[] = {"the",    "concert", "recieve", "choir",   "evening", "programme",
                                        "tickets", "friends", "teh",     "seasons", "music",   "weather"};
    std::string rtf = "{\\rtf1\\ansi ";
    int n = 0;
    for (int line = 0; line < 9000; ++line) {
        for (int w = 0; w < 11; ++w, ++n) {
            rtf += words[n % 12];
            rtf += ' ';
        }
        rtf += "\\par\r\n";
    }
    return rtf + "}";
}

double ms(const QElapsedTimer &t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

void run(bool checking)
{
    WindowFixture f;
    f.settings.SPL_Check = checking;
    TFM_Cmps w(f.services);
    w.resize(710, 486);
    w.show();
    QApplication::processEvents();
    SpellHighlighter *h = w.spelling()->highlighter();

    const std::string letter = longLetter();
    QElapsedTimer t;
    t.start();
    w.Editor->loadLetter(letter);
    QApplication::processEvents(); // one turn: the window answers again after it
    const double open = ms(t);
    int steps = 0;
    double longest = 0;
    QElapsedTimer step;
    // Each turn of the loop that found work is what the window waited for at most before it
    // answers again. Turns that find nothing due (the checker's first wait) are idle time:
    // the loop looks again a millisecond later rather than count the wait as a turn.
    while (h->hasPending()) {
        step.start();
        QApplication::processEvents();
        const double turn = ms(step);
        if (turn >= 0.5) {
            longest = std::max(longest, turn);
            ++steps;
        } else {
            QThread::msleep(1);
        }
    }
    const double all = ms(t);
    const qsizetype marked = h->markedWords().size();

    QTextCursor c(w.Editor->document());
    c.setPosition(w.Editor->document()->characterCount() / 2);
    w.Editor->setTextCursor(c);
    w.Editor->setFocus();
    std::vector<double> keys;
    for (int i = 0; i < 200; ++i) {
        const QChar ch = i % 7 == 6 ? QLatin1Char(' ') : QChar(u'a' + i % 26);
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
        t.restart();
        QApplication::sendEvent(w.Editor, &press);
        QApplication::processEvents();
        keys.push_back(ms(t));
    }
    std::sort(keys.begin(), keys.end());
    double sum = 0;
    for (double k : keys)
        sum += k;
    std::printf("checking %-3s  open %7.1f ms  all checked %8.1f ms (%d busy turns of the window, longest %.1f ms; goal < 50 ms)  "
                "%lld words marked, keystroke mean %.2f ms, median %.2f ms, max %.2f ms\n",
                checking ? "on" : "off", open, all, steps, longest, static_cast<long long>(marked), sum / double(keys.size()), keys[keys.size() / 2],
                keys.back());
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    DefaultFont::installSubstitutions();
    std::printf("A letter of 9000 lines (about 200 pages), spell checked with en_US:\n");
    run(true);
    run(false);
    return 0;
}
