#pragma once

#include <cstddef>
#include <functional>

namespace quiltmap::deflate {

// Runs job(0) to job(count - 1) on up to `threads` threads (the caller's among them) and
// returns when all are done. The first exception a job throws is rethrown here.
void parallelFor(std::size_t count, unsigned threads, const std::function<void(std::size_t)> &job);

// Processor seconds spent in jobs so far: by all threads, and by the calling thread. For
// benchmarks that split a run into its parallel and serial work.
double jobSecondsOfAllThreads();
double jobSecondsOfThisThread();

// Processor seconds the calling thread has used.
double threadSeconds();

} // namespace quiltmap::deflate
