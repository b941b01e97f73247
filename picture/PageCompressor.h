#pragma once

#include "picture/PageEncoder.h"

#include <QImage>
#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Compresses a render's pages on worker threads, so that the next page is drawn while the
// pages before it are compressed, several at once where the machine has the cores. Pages
// come back in the order they went in, each compressed on its own, so the bytes are those
// of a page-by-page render. The workers only see the finished pictures they were handed:
// the letter, its layout and the painter stay on the caller's thread.
//
// Destroying the compressor stops the workers after the pages they are on and joins them,
// so no thread outlives a render that ended early (cancelled, or unwound by an exception).
// When no thread can be started, pages are compressed on the caller's thread instead.
class PageCompressor
{
public:
    // Turns a picture into its compressed bytes; throws (AppError) when it cannot. Called from the
    // workers, several at a time when there are several.
    using Compress = std::function<std::string(const QImage &page)>;

    // The pages compressed at once by default: one per core beside the drawing thread's,
    // at least one, at most four (each holds a page's picture).
    static int defaultWorkers();

    // Each page in the format PageEncoder chooses with these options.
    PageCompressor(const PageEncoder::Options &options, int workers = defaultWorkers());
    explicit PageCompressor(Compress compress, int workers = 1);
    ~PageCompressor();
    PageCompressor(const PageCompressor &) = delete;
    PageCompressor &operator=(const PageCompressor &) = delete;

    // Hands a finished page to the workers. There must be room (std::logic_error
    // otherwise: a page's bytes would wait unseen): take() the oldest when full().
    void submit(QImage page);
    // As many pages are handed in and not yet taken as there are workers.
    bool full() const;
    // A page was handed in and not yet taken.
    bool busy() const;
    // Waits for the oldest page handed in and returns its bytes; throws what compressing
    // it threw. std::logic_error when no page is with the workers.
    std::string take();

    // Time spent compressing the pages taken so far, in nanoseconds, added over the workers.
    qint64 compressNanoseconds() const;

private:
    struct Job
    {
        QImage page;
        std::string bytes;
        std::exception_ptr error;
        qint64 nanoseconds = 0;
        bool claimed = false;
        bool done = false;
    };

    void start(int workers);
    void work();
    // Compresses a claimed job; called with the lock released.
    void compress(Job &job);

    Compress m_compress;
    int m_capacity = 1;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    // In the order handed in; a worker holds a reference to a claimed job until it is done,
    // and a deque keeps references to its other elements when one end changes.
    std::deque<Job> m_jobs;
    bool m_stop = false;
    qint64 m_nanoseconds = 0;
    std::vector<std::thread> m_workers;
};
