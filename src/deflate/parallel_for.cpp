#include "deflate/parallel_for.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <time.h>
#include <vector>

namespace quiltmap::deflate {
namespace {

std::atomic<double> allJobSeconds { 0 };
thread_local double ownJobSeconds = 0;

} // namespace

double threadSeconds()
{
    timespec t {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

double jobSecondsOfAllThreads()
{
    return allJobSeconds;
}

double jobSecondsOfThisThread()
{
    return ownJobSeconds;
}

void parallelFor(std::size_t count, unsigned threads, const std::function<void(std::size_t)> &job)
{
    std::atomic<std::size_t> next { 0 };
    std::exception_ptr failure;
    std::mutex failureMutex;
    const auto work = [&] {
        for (std::size_t i; (i = next++) < count;) {
            const double start = threadSeconds();
            try {
                job(i);
            } catch (...) {
                const std::lock_guard lock(failureMutex);
                if (!failure)
                    failure = std::current_exception();
                next = count;
            }
            const double spent = threadSeconds() - start;
            ownJobSeconds += spent;
            allJobSeconds += spent;
        }
    };
    const std::size_t helpers
        = std::min<std::size_t>(std::max(threads, 1u), count) - (count > 0 ? 1 : 0);
    std::vector<std::jthread> pool;
    pool.reserve(helpers);
    try {
        for (std::size_t i = 0; i < helpers; ++i)
            pool.emplace_back(work);
    } catch (const std::system_error &) {
        // Fewer threads than asked for only make it slower.
    }
    work();
    pool.clear();
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace quiltmap::deflate
