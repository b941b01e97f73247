#include "ui/WorkerStep.h"

#include <QEventLoop>
#include <QProgressDialog>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <exception>
#include <memory>

namespace {
constexpr int kSteps = 1000;
}

QProgressDialog *WorkerStep::makeDialog(QWidget *parent, const QString &label)
{
    auto *dialog = new QProgressDialog(label, QStringLiteral("Cancel"), 0, kSteps, parent);
    dialog->setWindowModality(Qt::ApplicationModal);
    dialog->setAutoClose(false);
    dialog->setAutoReset(false);
    dialog->setMinimumDuration(0);
    dialog->setValue(0);
    return dialog;
}

void WorkerStep::run(QWidget *parent, const QString &label, const Work &work)
{
    std::atomic<bool> cancelled{false};
    std::atomic<int> reached{0};
    std::exception_ptr failure;

    const std::unique_ptr<QProgressDialog> owned(makeDialog(parent, label));
    QProgressDialog &dialog = *owned;
    QObject::connect(&dialog, &QProgressDialog::canceled, [&cancelled] { cancelled = true; });

    const Progress progress = [&](std::int64_t done, std::int64_t total) {
        if (total > 0)
            reached = static_cast<int>(std::clamp<std::int64_t>(done * kSteps / total, 0, kSteps));
        return !cancelled.load();
    };
    // The worker only touches the atomics; the dialog is updated here, by a timer.
    QThread *thread = QThread::create([&] {
        try {
            work(progress);
        } catch (...) {
            failure = std::current_exception();
        }
    });
    QEventLoop loop;
    QObject::connect(thread, &QThread::finished, &loop, &QEventLoop::quit);
    QTimer tick;
    tick.setInterval(50);
    QObject::connect(&tick, &QTimer::timeout, &dialog, [&] {
        if (!dialog.wasCanceled())
            dialog.setValue(reached.load());
    });
    tick.start();
    thread->start();
    loop.exec();
    thread->wait();
    delete thread;
    tick.stop();
    dialog.hide();
    if (failure)
        std::rethrow_exception(failure);
}
