// The main window's first reading of the store, when it comes after the window's first
// paint: the window shows at once whatever the size of the store, says that it is reading,
// and lets nothing act on mails until the lists are filled.
#include "mailbox/windows/TFM_MailBox.h"

#include "ui/ToolBand.h"
#include "ui/WindowCommandTable.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QSplitter>
#include <QTimer>
#include <algorithm>
#include <iterator>
#include <utility>

namespace {

// Commands that do not touch the store or the lists: they work while it is read.
constexpr const char *WorkWhileReading[] = {"HelpContents1", "TipsOfTheDay1", "ReportBug1", "VisiteHomePage1",
                                            "About1"};

// Calls `painted` once, after the first paint of the widget it watches has been done.
class FirstPaintWatch : public QObject
{
public:
    FirstPaintWatch(QWidget *watched, std::function<void()> painted)
        : QObject(watched)
        , m_painted(std::move(painted))
    {
        watched->installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && m_painted) {
            watched->removeEventFilter(this);
            // The paint is done and flushed before the timer's turn comes.
            QTimer::singleShot(0, parent(), std::exchange(m_painted, {}));
        }
        return false;
    }

private:
    std::function<void()> m_painted;
};

// A window that is never painted (not exposed on its desktop) still reads its store.
constexpr int UnpaintedReadMs = 1000;

} // namespace

void TFM_MailBox::readStoreAfterFirstPaint()
{
    setReading(true);
    UpdateBoxCounts(); // "?" until read
    watchFirstPaint();
}

void TFM_MailBox::watchFirstPaint()
{
    if (m_painted || m_paintWatched)
        return;
    m_paintWatched = true;
    // The status line is part of every first paint of the window.
    new FirstPaintWatch(StoreStatus, [this] { firstPainted(); });
    QTimer::singleShot(UnpaintedReadMs, this, [this] { firstPainted(); });
}

void TFM_MailBox::firstPainted()
{
    if (m_painted)
        return;
    m_painted = true;
    std::vector<std::function<void()>> steps;
    steps.swap(m_afterPaint);
    for (const std::function<void()> &step : steps)
        step();
    readStoreNow();
}

void TFM_MailBox::whenFirstPainted(std::function<void()> step)
{
    if (m_painted) {
        step();
        return;
    }
    m_afterPaint.push_back(std::move(step));
    watchFirstPaint();
}

void TFM_MailBox::readStoreNow()
{
    if (!m_readPending)
        return;
    m_readPending = false;
    ReloadBoxes();
    UpdateBoxCounts();
    setReading(false);
    std::vector<std::function<void()>> steps;
    steps.swap(m_afterRead);
    for (const std::function<void()> &step : steps)
        step();
    if (m_closeWhenRead) {
        m_closeWhenRead = false;
        close();
    }
}

void TFM_MailBox::whenStoreRead(std::function<void()> step)
{
    if (m_reading)
        m_afterRead.push_back(std::move(step));
    else
        step();
}

void TFM_MailBox::setReading(bool reading)
{
    m_reading = reading;
    if (reading) {
        StoreStatus->setText(QStringLiteral("Reading the mail store..."));
        StoreStatus->setToolTip(QString());
        QApplication::setOverrideCursor(Qt::BusyCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
    // The pictures, the box bar and the list with the preview: disabled on their own, they
    // stay so when the window is enabled (when the splash goes) until the lists are filled.
    for (QWidget *part : {static_cast<QWidget *>(Panel1), Panel3, static_cast<QWidget *>(Spt)})
        part->setEnabled(!reading);
    for (const WindowCommand &row : m_commands->rows()) {
        if (row.kind != WindowCommand::Kind::Command)
            continue;
        const bool works = std::find_if(std::begin(WorkWhileReading), std::end(WorkWhileReading), [&](const char *name) {
                               return qstrcmp(name, row.name) == 0;
                           }) != std::end(WorkWhileReading);
        if (QAction *action = m_commands->action(QLatin1String(row.name)); action && !works)
            action->setEnabled(!reading);
    }
}
