#pragma once

#include "config/ConfigSettings.h"
#include "picture/PicturePreview.h"

#include <QObject>
#include <atomic>
#include <memory>

class QThread;

// Makes the preview's pages on a worker thread, so that the window keeps answering while
// a long letter renders. The worker gets copies of everything (the letter's RTF, the
// settings); its pages come back through queued signals, in order. A new start() or the
// end of the object cancels the run before; results of a cancelled run never arrive.
class PreviewRun : public QObject
{
    Q_OBJECT
public:
    explicit PreviewRun(QObject *parent = nullptr);
    ~PreviewRun() override;

    void start(const ConfigSettings &settings, const PicturePreview::Input &input);
    bool running() const { return m_thread != nullptr; }
    // Waits for the worker (tests, and the end of the window).
    void wait();

signals:
    void pageReady(int page, const QByteArray &jpeg);
    void finished(const PicturePreview::Result &result);

private:
    void stop();

    QThread *m_thread = nullptr;
    std::shared_ptr<std::atomic<bool>> m_cancel;
    int m_generation = 0;
};
