#include "deflate/parallel_for.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace quiltmap::deflate {

void parallelFor(std::size_t count, unsigned threads, const std::function<void(std::size_t)> &job,
    JobObserver *observer)
{
    std::atomic<std::size_t> next { 0 };
    std::exception_ptr failure;
    std::mutex failureMutex;
    const auto work = [&] {
        for (std::size_t i; (i = next++) < count;) {
            if (observer)
                observer->jobStarted();
            try {
                job(i);
            } catch (...) {
                const std::lock_guard lock(failureMutex);
                if (!failure)
                    failure = std::current_exception();
                next = count;
            }
            if (observer)
                observer->jobEnded();
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
