#include "stream_work.h"

#include "deflate/parallel_for.h"
#include "deflate/stream_tuning.h"

#include <atomic>
#include <thread>
#include <time.h>

namespace quiltmap::bench {
namespace {

double threadSeconds()
{
    timespec t {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// Sums the processor time of every job, and apart that of the jobs the calling thread ran.
class JobClock : public deflate::JobObserver
{
public:
    void jobStarted() override { t_started = threadSeconds(); }
    void jobEnded() override
    {
        const double spent = threadSeconds() - t_started;
        m_all += spent;
        if (std::this_thread::get_id() == m_caller)
            m_callers += spent;
    }

    double all() const { return m_all; }
    double callers() const { return m_callers; }

private:
    static thread_local double t_started;
    const std::thread::id m_caller = std::this_thread::get_id();
    std::atomic<double> m_all { 0 };
    double m_callers = 0;
};

thread_local double JobClock::t_started = 0;

} // namespace

StreamWork measureZlibStream(std::span<const std::uint8_t> data, std::size_t feedSize,
    unsigned threads, std::vector<std::uint8_t> &stream)
{
    JobClock jobs;
    deflate::StreamTuning tuning;
    tuning.jobs = &jobs;
    const double before = threadSeconds();
    stream = deflate::zlibStream(data, feedSize, threads, tuning);
    return { jobs.all(), threadSeconds() - before - jobs.callers() };
}

} // namespace quiltmap::bench
