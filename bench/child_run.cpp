#include "child_run.h"

#include <chrono>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quiltmap::bench {
namespace {

double seconds(const timeval &t)
{
    return double(t.tv_sec) + double(t.tv_usec) / 1e6;
}

} // namespace

ChildRun runQuiltmap(const std::filesystem::path &folder, const std::filesystem::path &outputBase,
    const std::vector<std::string> &options)
{
    std::vector<std::string> args { QUILTMAP_EXE, "--quiet", "--output", outputBase.string() };
    args.insert(args.end(), options.begin(), options.end());
    args.push_back(folder.string());
    std::vector<char *> argv;
    for (std::string &arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    // fork, not posix_spawn: a child that shares our memory until exec would report our peak
    // as its own.
    const pid_t pid = fork();
    if (pid < 0)
        throw std::runtime_error("cannot start quiltmap");
    if (pid == 0) {
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage {};
    wait4(pid, &status, 0, &usage);
    ChildRun run;
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.cpu = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    run.peakKiB = usage.ru_maxrss;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error("quiltmap failed");
    return run;
}

} // namespace quiltmap::bench
