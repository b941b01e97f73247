#include "picture/PreviewRun.h"

#include "os/DefaultFont.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>
#include <QThread>

PreviewRun::PreviewRun(QObject *parent)
    : QObject(parent)
{
    qRegisterMetaType<PicturePreview::Result>();
}

PreviewRun::~PreviewRun()
{
    stop();
}

void PreviewRun::stop()
{
    if (!m_thread)
        return;
    m_cancel->store(true);
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
}

void PreviewRun::wait()
{
    if (m_thread)
        m_thread->wait();
    // Deliver what the worker queued before it ended.
    QCoreApplication::sendPostedEvents(this);
}

void PreviewRun::start(const ConfigSettings &settings, const PicturePreview::Input &input)
{
    stop();
    // The font substitutions are set up here, once, before any worker reads them.
    DefaultFont::installSubstitutions();
    auto cancel = std::make_shared<std::atomic<bool>>(false);
    m_cancel = cancel;
    const int generation = ++m_generation;
    QPointer<PreviewRun> self(this);
    // Every result is posted to this object's thread and dropped when it belongs to an
    // older run.
    auto post = [this, self, generation, cancel](auto deliver) {
        QMetaObject::invokeMethod(this, [self, generation, cancel, deliver] {
            if (self && !cancel->load() && generation == self->m_generation)
                deliver(*self);
        }, Qt::QueuedConnection);
    };
    m_thread = QThread::create([settings, input, cancel, post] {
        const PicturePreview::Result result = PicturePreview::render(
            settings, input,
            [&](int page, const QByteArray &jpeg) {
                post([page, jpeg](PreviewRun &run) { emit run.pageReady(page, jpeg); });
            },
            [&] { return cancel->load(); });
        post([result](PreviewRun &run) {
            if (run.m_thread) {
                run.m_thread->wait();
                delete run.m_thread;
                run.m_thread = nullptr;
            }
            emit run.finished(result);
        });
    });
    m_thread->start();
}
