#pragma once

#include <csignal>
#include <sys/resource.h>

namespace quiltmap::test {

// While it lives, no file of this process grows beyond `bytes`: a write past that fails with
// EFBIG, as on a full disk, instead of stopping the process. Lets a test fail a write half-way.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_previous);
        m_previousSignal = std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit { bytes, m_previous.rlim_max };
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_previous);
        std::signal(SIGXFSZ, m_previousSignal);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    rlimit m_previous {};
    void (*m_previousSignal)(int) = nullptr;
};

} // namespace quiltmap::test
