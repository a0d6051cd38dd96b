// Measures the utility's pump against its floor and its peers, and prints a table: the build this
// benchmark belongs to (glibc's), and beside it the utility given as the argument (the musl
// build's). It has no thresholds of its own to pass or fail: it shows each figure beside its
// target.
//   pump_bench MUSL_TARVIX
#include <fcntl.h>
#include <pty.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

extern char** environ;

namespace {
constexpr unsigned long long kMiB = 1ULL << 20;
constexpr unsigned long long kThroughputBytes = 256 * kMiB;
constexpr int kThroughputRuns = 5;
constexpr int kStartRuns = 200;
constexpr int kStampLines = 1000;

const std::string kWork =
    std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") + "/tarvix-bench";
const std::string kKey = kWork + "/key";  // the closing key, fed on standard input

// A build of the utility, by the name its figures go under.
struct Utility {
    std::string name;
    std::string path;
};

struct Result {
    double seconds = 0;
    long peakKiB = 0;
    bool ok = false;
};

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Runs argv with standard input and output from these files, timing it and taking its peak size.
Result run(const std::vector<std::string>& args, const std::string& input = "/dev/null",
           const std::string& output = "/dev/null") {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, input.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    Result result;
    const auto start = std::chrono::steady_clock::now();
    pid_t pid;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        rusage usage{};
        wait4(pid, &status, 0, &usage);
        result = {secondsSince(start), usage.ru_maxrss,
                  WIFEXITED(status) && WEXITSTATUS(status) == 0};
    }
    posix_spawn_file_actions_destroy(&actions);
    return result;
}

Result shell(const std::string& command) {
    return run({"sh", "-c", command});
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double percentile(std::vector<double> values, double fraction) {
    std::sort(values.begin(), values.end());
    const auto rank = static_cast<std::size_t>(std::ceil(fraction * values.size()));
    return values[std::max<std::size_t>(rank, 1) - 1];
}

std::string produce(unsigned long long bytes) {
    return std::string(BENCH_PRODUCER) + " " + std::to_string(bytes);
}

struct Workload {
    Workload(std::string name, std::string command)
        : name(std::move(name)), command(std::move(command)) {}
    std::string name;
    std::string command;
    std::vector<double> seconds;
    bool ok = true;
};

// Every workload moves the same bytes; the runs are interleaved so that drift hits all alike.
std::vector<Workload> measureThroughput(const std::vector<Utility>& utilities) {
    std::vector<Workload> workloads = {
        {"producer alone > /dev/null", produce(kThroughputBytes) + " >/dev/null"},
        {"reference loop, 64 B chunks", produce(kThroughputBytes) + " | " BENCH_REFERENCE " " +
                                            kWork + "/reference.log >/dev/null"},
    };
    for (const Utility& utility : utilities) {
        const std::string tarvix = utility.path + " " + produce(kThroughputBytes) + " <" + kKey;
        workloads.push_back({utility.name + " > /dev/null", tarvix + " >/dev/null"});
        workloads.push_back({utility.name + " > file", tarvix + " >" + kWork + "/echo.out"});
    }
    workloads.push_back({"tee LOG > /dev/null",
                         produce(kThroughputBytes) + " | tee " + kWork + "/tee.log >/dev/null"});
    if (shell("command -v script").ok) {
        workloads.push_back(
            {"script -qc (pty capture)",
             "script -qc '" + produce(kThroughputBytes) + "' " + kWork + "/script.log >/dev/null"});
    }
    for (int i = 0; i < kThroughputRuns; ++i) {
        for (Workload& workload : workloads) {
            const Result result = shell(workload.command);
            workload.seconds.push_back(result.seconds);
            workload.ok = workload.ok && result.ok;
        }
    }
    return workloads;
}

// The utility's own system calls (strace -c follows no child) per 64-byte chunk.
double syscallsPerChunk(const std::string& tarvix) {
    const unsigned long long bytes = 16 * kMiB;
    const std::string stats = kWork + "/strace.txt";
    shell("strace -c -o " + stats + " " + tarvix + " " + produce(bytes) + " <" + kKey +
          " >/dev/null");
    std::ifstream file(stats);
    std::string line;
    std::string total;
    while (std::getline(file, line)) {
        if (line.find(" total") != std::string::npos) total = line;
    }
    std::istringstream fields(total);
    std::string percent, seconds, perCall;
    double calls = 0;
    fields >> percent >> seconds >> perCall >> calls;
    return calls / static_cast<double>(bytes / 64);
}

long peakKiB(const std::string& tarvix, unsigned long long bytes) {
    return run({tarvix, BENCH_PRODUCER, std::to_string(bytes)}, kKey).peakKiB;
}

// Median whole-process wall times of commands, run in turn so that all meet the same machine.
std::vector<double> medianMilliseconds(const std::vector<std::vector<std::string>>& commands) {
    std::vector<std::vector<double>> times(commands.size());
    for (int i = 0; i < kStartRuns; ++i) {
        for (std::size_t at = 0; at < commands.size(); ++at) {
            times[at].push_back(run(commands[at], kKey).seconds * 1000);
        }
    }
    std::vector<double> medians;
    for (const std::vector<double>& each : times) medians.push_back(median(each));
    return medians;
}

long long monotonicNanoseconds() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000000000LL + now.tv_nsec;
}

// Types the closing key once keys are read singly: one typed before the prompt is discarded.
bool answer(int master) {
    termios settings;
    while (tcgetattr(master, &settings) == 0 && (settings.c_lflag & (ICANON | ECHO))) usleep(1000);
    return write(master, "x", 1) == 1;
}

// Milliseconds from each of the child's writes to its arrival on the utility's terminal.
std::vector<double> echoLatencies(const std::string& tarvix) {
    int master = -1;
    const pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
    if (pid == 0) {
        execl(tarvix.c_str(), tarvix.c_str(), BENCH_STAMPS, std::to_string(kStampLines).c_str(),
              nullptr);
        _exit(127);
    }
    std::vector<double> latencies;
    std::string pending;
    char bytes[4096];
    for (ssize_t count; (count = read(master, bytes, sizeof bytes)) > 0;) {
        const long long now = monotonicNanoseconds();
        pending.append(bytes, static_cast<std::size_t>(count));
        for (std::size_t end; (end = pending.find('\n')) != std::string::npos;
             pending.erase(0, end + 1)) {
            const std::string line = pending.substr(0, end);
            if (latencies.size() < kStampLines && !line.empty() && std::isdigit(line[0])) {
                latencies.push_back((now - std::stoll(line)) / 1e6);
                if (latencies.size() == kStampLines && !answer(master)) break;
            }
        }
    }
    waitpid(pid, nullptr, 0);
    close(master);
    return latencies;
}

const char* verdict(bool met) {
    return met ? "met" : "MISSED";
}

// Prints a build's figures beside their targets, and how many it meets.
void reportFigures(const Utility& utility, const std::vector<Workload>& workloads,
                   double startFloor, double startWrapped) {
    const auto find = [&](const std::string& name) {
        return median(std::find_if(workloads.begin(), workloads.end(), [&](const Workload& w) {
                          return w.name == name;
                      })->seconds);
    };
    const std::string& name = utility.name;
    const double tarvix = find(name + " > /dev/null");
    const double tee = find("tee LOG > /dev/null");
    const double throughputShare = find("reference loop, 64 B chunks") / tarvix;
    std::printf("\n%-52s %7.1f%%  target >= 90%%   %s\n",
                (name + " > /dev/null, share of the reference loop").c_str(), 100 * throughputShare,
                verdict(throughputShare >= 0.9));
    std::printf("%-52s %7.2fx\n", (name + " > /dev/null, time against tee's").c_str(),
                tarvix / tee);

    const double calls = syscallsPerChunk(utility.path);
    std::printf("%-52s %8.4f  target <= 2.05   %s\n", "system calls per 64-byte chunk (16 MiB)",
                calls, verdict(calls <= 2.05));

    const long small = peakKiB(utility.path, 16 * kMiB);
    const long large = peakKiB(utility.path, 1024 * kMiB);
    std::printf("%-52s %5ld KiB  (16 MiB: %ld KiB, 1 GiB: %ld KiB)  target < 1024 KiB   %s\n",
                "peak resident size growth", large - small, small, large,
                verdict(large - small < 1024));

    const double startRatio = startWrapped / startFloor;
    std::printf("%-52s %7.2fx  (env true %.2f ms, %s true %.2f ms)  target <= 1.0   %s\n",
                ("start-up, " + name + " true against env true").c_str(), startRatio, startFloor,
                name.c_str(), startWrapped, verdict(startRatio <= 1.0));

    const std::vector<double> latencies = echoLatencies(utility.path);
    const double p99 = latencies.empty() ? NAN : percentile(latencies, 0.99);
    std::printf("%-52s %7.3f ms  (median %.3f ms, %zu lines)  target p99 <= 5 ms   %s\n",
                "echo latency on a pseudo-terminal, p99", p99,
                latencies.empty() ? NAN : median(latencies), latencies.size(), verdict(p99 <= 5));

    const int met = (throughputShare >= 0.9) + (calls <= 2.05) + (large - small < 1024) +
                    (startRatio <= 1.0) + (p99 <= 5);
    std::printf(
        "summary, %s: %.0f MB/s, %.0f%% of the reference loop, %.1fx tee's time; %d of 5 "
        "targets met\n",
        name.c_str(), kThroughputBytes / 1e6 / tarvix, 100 * throughputShare, tarvix / tee, met);
}
}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: pump_bench MUSL_TARVIX\n");
        return 2;
    }
    const std::vector<Utility> utilities = {{"tarvix", TARVIX}, {"tarvix (musl)", argv[1]}};
    shell("rm -rf " + kWork + " && mkdir -p " + kWork + " && echo x >" + kKey);
    setenv("TEMP", kWork.c_str(), 1);
    const std::time_t now = std::time(nullptr);
    char date[32];
    std::strftime(date, sizeof date, "%Y-%m-%d", std::localtime(&now));
    std::printf("Tarvix pump benchmark, %s, %u cores, %.0f GiB\n\n", date,
                std::thread::hardware_concurrency(),
                sysconf(_SC_PHYS_PAGES) * double(sysconf(_SC_PAGESIZE)) / (1 << 30));

    const std::vector<Workload> workloads = measureThroughput(utilities);
    const double reference = median(workloads[1].seconds);
    std::printf("%-30s %9s %9s %13s\n", "256 MiB through", "median s", "MB/s", "vs reference");
    for (const Workload& workload : workloads) {
        const double seconds = median(workload.seconds);
        std::printf("%-30s %9.3f %9.1f %12.0f%%%s\n", workload.name.c_str(), seconds,
                    kThroughputBytes / 1e6 / seconds, 100 * reference / seconds,
                    workload.ok ? "" : "  (failed)");
    }

    // env only starts another program: the floor for one that starts a program.
    std::vector<std::vector<std::string>> starts = {{"env", "true"}};
    for (const Utility& utility : utilities) starts.push_back({utility.path, "true"});
    const std::vector<double> startTimes = medianMilliseconds(starts);
    for (std::size_t at = 0; at < utilities.size(); ++at) {
        reportFigures(utilities[at], workloads, startTimes[0], startTimes[at + 1]);
    }
    shell("rm -rf " + kWork);
}
