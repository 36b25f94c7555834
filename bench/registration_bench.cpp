// Measures what registering the file-manager menus costs a new user: `sortune i` in a fresh
// home, every time, with the CPU time of the program and the processes it starts.
//
//   build/bin/registration_bench build/bin/sortune [RUNS]
//
// Prints the CPU time (user + system) and the wall time of each run, then their medians.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

struct Cost {
    double cpuMs = 0;  // of the program alone; -1 when it failed
    double wallMs = 0;
};

double Milliseconds(const timeval& time) {
    return static_cast<double>(time.tv_sec) * 1000.0 + static_cast<double>(time.tv_usec) / 1000.0;
}

// One `PROGRAM i` in the fresh home `home`; a negative CPU time when it failed.
Cost RegisterOnce(const char* program, const std::string& home) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        setenv("HOME", home.c_str(), 1);
        for (const char* name :
             {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME", "DISPLAY", "WAYLAND_DISPLAY"}) {
            unsetenv(name);
        }
        execl(program, program, "i", static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    const std::chrono::duration<double, std::milli> wall = std::chrono::steady_clock::now() - start;
    const bool ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return {ok ? Milliseconds(usage.ru_utime) + Milliseconds(usage.ru_stime) : -1, wall.count()};
}

double ChildrenCpuMs() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return Milliseconds(usage.ru_utime) + Milliseconds(usage.ru_stime);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s SORTUNE [RUNS]\n", argv[0]);
        return 2;
    }
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 11;
    std::vector<double> cpu;
    std::vector<double> wall;
    for (int run = 0; run < runs; ++run) {
        std::string home = (std::filesystem::temp_directory_path() / "regbench-XXXXXX").string();
        if (mkdtemp(home.data()) == nullptr) {
            std::perror("mkdtemp");
            return 1;
        }
        const double before = ChildrenCpuMs();
        const Cost cost = RegisterOnce(argv[1], home);
        std::filesystem::remove_all(home);
        if (cost.cpuMs < 0) {
            std::fprintf(stderr, "%s i failed\n", argv[1]);
            return 1;
        }
        // Grandchildren reaped by the program are in its own RUSAGE_CHILDREN, which the
        // kernel adds to ours when it is reaped: the difference is the whole run.
        cpu.push_back(ChildrenCpuMs() - before);
        wall.push_back(cost.wallMs);
        std::printf("run %2d: cpu %7.1f ms  wall %7.1f ms\n", run + 1, cpu.back(), wall.back());
    }
    std::printf("median of %d: cpu %.1f ms  wall %.1f ms\n", runs, Median(cpu), Median(wall));
    return 0;
}
