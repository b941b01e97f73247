#include "picture/PageCompressor.h"

#include <QElapsedTimer>
#include <stdexcept>
#include <system_error>
#include <utility>

PageCompressor::PageCompressor(int quality, JpegEncoder::Coding coding)
    // The encoder is the compressor's own, and only the worker calls it.
    : compress_([this, quality, coding](const QImage &page) { return std::string(encoder_.compress(page, quality, coding)); })
{
    start();
}

PageCompressor::PageCompressor(Compress compress)
    : compress_(std::move(compress))
{
    start();
}

void PageCompressor::start()
{
    try {
        worker_ = std::thread([this] { work(); });
    } catch (const std::system_error &) {
        // No thread to be had (a process at its limit): submit() compresses in place.
    }
}

PageCompressor::~PageCompressor()
{
    if (!worker_.joinable())
        return;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    worker_.join();
}

void PageCompressor::work()
{
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stop_ || state_ == State::Queued; });
        if (stop_)
            return; // a page still queued is dropped: nobody will take it
        compressQueued(lock);
        wake_.notify_all();
    }
}

void PageCompressor::compressQueued(std::unique_lock<std::mutex> &lock)
{
    const QImage page = std::exchange(page_, QImage());
    lock.unlock();
    std::string jpeg;
    std::exception_ptr error;
    QElapsedTimer clock;
    clock.start();
    try {
        jpeg = compress_(page);
    } catch (...) {
        error = std::current_exception();
    }
    const qint64 elapsed = clock.nsecsElapsed();
    lock.lock();
    jpeg_ = std::move(jpeg);
    error_ = error;
    nanoseconds_ += elapsed;
    state_ = State::Done;
}

void PageCompressor::submit(QImage page)
{
    std::unique_lock<std::mutex> lock(mutex_);
    if (state_ != State::Idle)
        throw std::logic_error("PageCompressor: a page was handed in before the last one was taken");
    page_ = std::move(page);
    state_ = State::Queued;
    if (!worker_.joinable()) {
        compressQueued(lock);
        return;
    }
    lock.unlock();
    wake_.notify_all();
}

bool PageCompressor::busy() const
{
    const std::lock_guard<std::mutex> lock(mutex_);
    return state_ != State::Idle;
}

std::string PageCompressor::take()
{
    std::unique_lock<std::mutex> lock(mutex_);
    if (state_ == State::Idle)
        throw std::logic_error("PageCompressor: no page to take");
    wake_.wait(lock, [this] { return state_ == State::Done; });
    state_ = State::Idle;
    if (std::exception_ptr error = std::exchange(error_, nullptr))
        std::rethrow_exception(error);
    return std::move(jpeg_);
}

qint64 PageCompressor::compressNanoseconds() const
{
    const std::lock_guard<std::mutex> lock(mutex_);
    return nanoseconds_;
}
