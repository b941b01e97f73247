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

PageCompressor::PageCompressor(int quality, JpegEncoder::Coding coding, int workers)
    : compress_([quality, coding](const QImage &page) {
        // An encoder reuses its buffers from page to page; each thread keeps its own.
        thread_local JpegEncoder encoder;
        return std::string(encoder.compress(page, quality, coding));
    })
{
    start(workers);
}

PageCompressor::PageCompressor(Compress compress, int workers)
    : compress_(std::move(compress))
{
    start(workers);
}

void PageCompressor::start(int workers)
{
    capacity_ = std::max(workers, 1);
    try {
        for (int i = 0; i < capacity_; ++i)
            workers_.emplace_back([this] { work(); });
    } catch (const std::system_error &) {
        // No more threads to be had (a process at its limit): the ones started serve, and
        // with none at all submit() compresses in place.
    }
    if (!workers_.empty())
        capacity_ = static_cast<int>(workers_.size());
}

PageCompressor::~PageCompressor()
{
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    for (std::thread &worker : workers_)
        worker.join();
}

void PageCompressor::work()
{
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        auto next = jobs_.end();
        wake_.wait(lock, [&] {
            next = std::find_if(jobs_.begin(), jobs_.end(), [](const Job &j) { return !j.claimed; });
            return stop_ || next != jobs_.end();
        });
        if (stop_)
            return; // pages still waiting are dropped: nobody will take them
        Job &job = *next;
        job.claimed = true;
        lock.unlock();
        compress(job);
        lock.lock();
        job.done = true;
        wake_.notify_all();
    }
}

void PageCompressor::compress(Job &job)
{
    const QImage page = std::exchange(job.page, QImage());
    QElapsedTimer clock;
    clock.start();
    try {
        job.bytes = compress_(page);
    } catch (...) {
        job.error = std::current_exception();
    }
    job.nanoseconds = clock.nsecsElapsed();
}

void PageCompressor::submit(QImage page)
{
    std::unique_lock<std::mutex> lock(mutex_);
    if (static_cast<int>(jobs_.size()) >= capacity_)
        throw std::logic_error("PageCompressor: a page was handed in while the workers were full");
    jobs_.push_back({});
    Job &job = jobs_.back();
    job.page = std::move(page);
    if (workers_.empty()) {
        job.claimed = true;
        lock.unlock();
        compress(job);
        lock.lock();
        job.done = true;
        return;
    }
    lock.unlock();
    wake_.notify_all();
}

bool PageCompressor::full() const
{
    const std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<int>(jobs_.size()) >= capacity_;
}

bool PageCompressor::busy() const
{
    const std::lock_guard<std::mutex> lock(mutex_);
    return !jobs_.empty();
}

std::string PageCompressor::take()
{
    std::unique_lock<std::mutex> lock(mutex_);
    if (jobs_.empty())
        throw std::logic_error("PageCompressor: no page to take");
    wake_.wait(lock, [this] { return jobs_.front().done; });
    Job job = std::move(jobs_.front());
    jobs_.pop_front();
    nanoseconds_ += job.nanoseconds;
    lock.unlock();
    if (job.error)
        std::rethrow_exception(job.error);
    return std::move(job.bytes);
}

qint64 PageCompressor::compressNanoseconds() const
{
    const std::lock_guard<std::mutex> lock(mutex_);
    return nanoseconds_;
}
