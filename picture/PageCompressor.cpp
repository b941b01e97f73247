#include "picture/PageCompressor.h"

#include <QElapsedTimer>
#include <algorithm>
#include <stdexcept>
#include <system_error>
#include <utility>

int PageCompressor::defaultWorkers()
{
    const int cores = static_cast<int>(std::thread::hardware_concurrency());
    return std::clamp(cores, 1, 4);
}

PageCompressor::PageCompressor(const PageEncoder::Options &options, int workers)
    : m_compress([options](const QImage &page) {
        // An encoder reuses its buffers from page to page; each thread keeps its own.
        thread_local PageEncoder encoder;
        return encoder.compress(page, options);
    })
{
    start(workers);
}

PageCompressor::PageCompressor(Compress compress, int workers)
    : m_compress(std::move(compress))
{
    start(workers);
}

void PageCompressor::start(int workers)
{
    m_capacity = std::max(workers, 1);
    try {
        for (int i = 0; i < m_capacity; ++i)
            m_workers.emplace_back([this] { work(); });
    } catch (const std::system_error &) {
        // No more threads to be had (a process at its limit): the ones started serve, and
        // with none at all submit() compresses in place.
    }
    if (!m_workers.empty())
        m_capacity = static_cast<int>(m_workers.size());
}

PageCompressor::~PageCompressor()
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    for (std::thread &worker : m_workers)
        worker.join();
}

void PageCompressor::work()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        auto next = m_jobs.end();
        m_wake.wait(lock, [&] {
            next = std::find_if(m_jobs.begin(), m_jobs.end(), [](const Job &j) { return !j.claimed; });
            return m_stop || next != m_jobs.end();
        });
        if (m_stop)
            return; // pages still waiting are dropped: nobody will take them
        Job &job = *next;
        job.claimed = true;
        lock.unlock();
        compress(job);
        lock.lock();
        job.done = true;
        m_wake.notify_all();
    }
}

void PageCompressor::compress(Job &job)
{
    const QImage page = std::exchange(job.page, QImage());
    QElapsedTimer clock;
    clock.start();
    try {
        job.bytes = m_compress(page);
    } catch (...) {
        job.error = std::current_exception();
    }
    job.nanoseconds = clock.nsecsElapsed();
}

void PageCompressor::submit(QImage page)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    if (static_cast<int>(m_jobs.size()) >= m_capacity)
        throw std::logic_error("PageCompressor: a page was handed in while the workers were full");
    m_jobs.push_back({});
    Job &job = m_jobs.back();
    job.page = std::move(page);
    if (m_workers.empty()) {
        job.claimed = true;
        lock.unlock();
        compress(job);
        lock.lock();
        job.done = true;
        return;
    }
    lock.unlock();
    m_wake.notify_all();
}

bool PageCompressor::full() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return static_cast<int>(m_jobs.size()) >= m_capacity;
}

bool PageCompressor::busy() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return !m_jobs.empty();
}

std::string PageCompressor::take()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    if (m_jobs.empty())
        throw std::logic_error("PageCompressor: no page to take");
    m_wake.wait(lock, [this] { return m_jobs.front().done; });
    Job job = std::move(m_jobs.front());
    m_jobs.pop_front();
    m_nanoseconds += job.nanoseconds;
    lock.unlock();
    if (job.error)
        std::rethrow_exception(job.error);
    return std::move(job.bytes);
}

qint64 PageCompressor::compressNanoseconds() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_nanoseconds;
}
