#pragma once

#include "picture/JpegEncoder.h"

#include <QImage>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

// Compresses a render's pages on a worker thread, so that the next page is drawn while
// this one is compressed. One page is with the worker at a time, so the pages come back
// in the order they went in. The worker only sees the finished picture it was handed: the
// letter, its layout and the painter stay on the caller's thread.
//
// Destroying the compressor stops the worker after the page it is on and joins it, so no
// thread outlives a render that ended early (cancelled, or unwound by an exception).
// When no thread can be started, pages are compressed on the caller's thread instead.
class PageCompressor
{
public:
    // Turns a picture into JPEG bytes; throws (AppError) when it cannot.
    using Compress = std::function<std::string(const QImage &page)>;

    PageCompressor(int quality, JpegEncoder::Coding coding);
    explicit PageCompressor(Compress compress);
    ~PageCompressor();
    PageCompressor(const PageCompressor &) = delete;
    PageCompressor &operator=(const PageCompressor &) = delete;

    // Hands a finished page to the worker. The page before must have been taken
    // (std::logic_error otherwise: its bytes would be lost).
    void submit(QImage page);
    // A page was handed in and not yet taken.
    bool busy() const;
    // Waits for the page handed in and returns its JPEG bytes; throws what compressing
    // it threw. std::logic_error when no page is with the worker.
    std::string take();

    // Time spent compressing the pages taken so far, in nanoseconds.
    qint64 compressNanoseconds() const;

private:
    enum class State { Idle, Queued, Done };

    void start();
    void work();
    // Compresses the queued page; called with the lock released.
    void compressQueued(std::unique_lock<std::mutex> &lock);

    JpegEncoder encoder_; // used by the worker only
    Compress compress_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    State state_ = State::Idle;
    bool stop_ = false;
    QImage page_;
    std::string jpeg_;
    std::exception_ptr error_;
    qint64 nanoseconds_ = 0;
    std::thread worker_;
};
