// Loaded (LD_PRELOAD) into the program under measure, the real one or its bare peer: at the
// first paint of a main window (a QMainWindow or a widget inside one) it lets that paint
// finish, then ends the process at once. The start-up bench times spawn to exit, so both
// programs are measured to the same mark by the same code, and the programs themselves
// carry nothing for it.
#include <QApplication>
#include <QMainWindow>
#include <QTimer>
#include <QWidget>
#include <unistd.h>

namespace {

class FirstPaint : public QObject
{
public:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (!m_seen && event->type() == QEvent::Paint && watched->isWidgetType()) {
            const QWidget *window = static_cast<QWidget *>(watched)->window();
            if (qobject_cast<const QMainWindow *>(window) && window->isVisible()) {
                m_seen = true;
                // Once the paint and its flush are done: no destructors, no exit handlers.
                QTimer::singleShot(0, [] { ::_exit(0); });
            }
        }
        return false;
    }

private:
    bool m_seen = false;
};

void install()
{
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return;
    qApp->installEventFilter(new FirstPaint);
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(install)
