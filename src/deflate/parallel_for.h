#pragma once

#include <cstddef>
#include <functional>

namespace quiltmap::deflate {

// Told of each job, on the thread that runs it, just before and just after it. Benchmarks
// supply one to split a run into its parallel and serial work; a normal run has none.
class JobObserver
{
public:
    virtual void jobStarted() = 0;
    virtual void jobEnded() = 0;

protected:
    ~JobObserver() = default;
};

// Runs job(0) to job(count - 1) on up to `threads` threads (the caller's among them) and
// returns when all are done. The first exception a job throws is rethrown here.
void parallelFor(std::size_t count, unsigned threads, const std::function<void(std::size_t)> &job,
    JobObserver *observer = nullptr);

} // namespace quiltmap::deflate
