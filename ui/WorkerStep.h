#pragma once

#include <QString>
#include <cstdint>
#include <functional>

class QProgressDialog;
class QWidget;

// A long step of a window run on a worker thread while the window's thread goes on
// serving its event loop: the windows repaint and answer, and a progress dialog (modal
// to the application, so nothing else starts meanwhile) shows how far the step is, with
// a Cancel that asks the step to stop.
class WorkerStep
{
public:
    // Work done so far and in all; the step asks after each piece and stops when false
    // comes back (Cancel was pressed).
    using Progress = std::function<bool(std::int64_t done, std::int64_t total)>;
    using Work = std::function<void(const Progress &progress)>;

    // Returns once `work` has ended; an exception it threw is thrown again here.
    static void run(QWidget *parent, const QString &label, const Work &work);

    // The progress dialog run() shows, not yet shown; the caller owns it.
    static QProgressDialog *makeDialog(QWidget *parent, const QString &label);
};
