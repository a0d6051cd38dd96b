// Measures the utility against what users would pick instead, in one run, the runs of each
// comparison taken in turn so that drift hits all alike, and prints each figure beside its target
// (it has no pass or fail of its own):
//  - on a pseudo-terminal, 40 MB of text: the program alone, through tee, through script;
//  - through a pipe (| cat > /dev/null): cat and tee;
//  - under wine's console, when a Windows build is given: type of 670 KB of the same text;
//  - the echo's latency, peak memory for 16 MiB and 1 GiB of output, start-up against env true.
// The glibc build this benchmark belongs to is measured, and beside it the musl build.
//   pump_bench MUSL_TARVIX [WINDOWS_TARVIX WINE]
#include <fcntl.h>
#include <poll.h>
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
#include <functional>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {
constexpr unsigned long long kMiB = 1ULL << 20;
constexpr std::size_t kTextBytes = 40 * 1000 * 1000;
constexpr std::size_t kWineTextBytes = 670 * 1000;
constexpr int kRuns = 21;
constexpr int kStartRuns = 400;
constexpr int kStampLines = 1000;
constexpr char kPrompt[] = "Press v to view";

const std::string kWork =
    std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") + "/tarvix-bench";
const std::string kKey = kWork + "/key";  // the closing key, fed on standard input
const std::string kText = kWork + "/text";
const std::string kWineText = kWork + "/wine.txt";

// A build of the utility, by the name its figures go under.
struct Utility {
    std::string name;
    std::string path;
};

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

struct Result {
    double seconds = 0;
    long peakKiB = 0;
};

// Runs argv with standard input from this file and output and error to /dev/null, timing it and
// taking its peak size.
Result run(const std::vector<std::string>& args, const std::string& input = "/dev/null") {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, input.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);  // the key's reports
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    Result result;
    const auto start = std::chrono::steady_clock::now();
    pid_t pid;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
        rusage usage{};
        wait4(pid, nullptr, 0, &usage);
        result = {secondsSince(start), usage.ru_maxrss};
    }
    posix_spawn_file_actions_destroy(&actions);
    return result;
}

double shell(const std::string& command) {
    return run({"sh", "-c", command}).seconds;
}

// Types the closing key once keys are read singly: one typed before the prompt is discarded.
bool answer(int master) {
    termios settings;
    while (tcgetattr(master, &settings) == 0 && (settings.c_lflag & (ICANON | ECHO))) usleep(1000);
    return write(master, "x", 1) == 1;
}

// On a pseudo-terminal of its own, read as fast as a terminal would: the time until the output
// has ended, or until the utility's prompt shows (then a key ends it).
double onTerminal(const std::vector<std::string>& args) {
    int master = -1;
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
    if (pid == 0) {
        std::vector<char*> argv;
        for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    double seconds = NAN;
    std::string tail;
    char bytes[65536];
    for (ssize_t count; (count = read(master, bytes, sizeof bytes)) > 0;) {
        tail = tail.substr(tail.size() > 64 ? tail.size() - 64 : 0) + std::string(bytes, count);
        if (std::isnan(seconds) && tail.find(kPrompt) != std::string::npos) {
            seconds = secondsSince(start);
            if (!answer(master)) break;
        }
    }
    if (std::isnan(seconds)) seconds = secondsSince(start);
    waitpid(pid, nullptr, 0);
    close(master);
    return seconds;
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

// Lines of base64's letters, as a build log or a dump of text would be, a line at a time: the
// programs started later would count a large buffer of ours as their own peak size.
void writeText(const std::string& path, std::size_t bytes) {
    const std::string letters =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::ofstream file(path, std::ios::binary);
    for (std::size_t line = 0; line * 77 < bytes; ++line) {
        std::string text(std::min<std::size_t>(77, bytes - line * 77), '\n');
        for (std::size_t at = 0; at < 76 && at < text.size(); ++at)
            text[at] = letters[(line * 7 + at * 13) % 64];
        file << text;
    }
}

// The seconds of each measure, run by run.
using Times = std::vector<std::vector<double>>;

// Each measure taken `runs` times in turn, so that drift hits all alike.
Times timedInTurn(const std::vector<std::function<double()>>& measures, int runs) {
    Times times(measures.size());
    for (int i = 0; i < runs; ++i) {
        for (std::size_t at = 0; at < measures.size(); ++at) times[at].push_back(measures[at]());
    }
    return times;
}

std::vector<double> medians(const Times& times) {
    std::vector<double> result;
    for (const std::vector<double>& each : times) result.push_back(median(each));
    return result;
}

// A table of medians, each against the reference row's; beside it, how far a single run can be
// trusted on this machine: the middle half of the runs' own ratios, each run against the
// reference's run of the same turn.
void printTable(const std::string& title, const std::vector<std::string>& names,
                const Times& times, const std::string& against, std::size_t reference) {
    const std::vector<double> seconds = medians(times);
    std::printf("\n%-40s %9s   %-18s %s\n", title.c_str(), "median s",
                ("against " + against).c_str(), "middle half of runs");
    for (std::size_t at = 0; at < names.size(); ++at) {
        std::vector<double> ratios;
        for (std::size_t run = 0; run < times[at].size(); ++run)
            ratios.push_back(times[at][run] / times[reference][run]);
        std::printf("%-40s %9.3f   %6.2fx             %.2fx to %.2fx\n", names[at].c_str(),
                    seconds[at], seconds[at] / seconds[reference], percentile(ratios, 0.25),
                    percentile(ratios, 0.75));
    }
}

long peakKiB(const std::string& tarvix, unsigned long long bytes) {
    return run({tarvix, BENCH_PRODUCER, std::to_string(bytes)}, kKey).peakKiB;
}

long long monotonicNanoseconds() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000000000LL + now.tv_nsec;
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

// A build's figures beside their targets; returns how many it meets.
int reportFigures(const std::string& name, const std::string& path, double alone, double tee,
                  double onTerminal, double teeOnTerminal, double piped, double startRatio) {
    std::printf("\n%s\n", name.c_str());
    const double terminal = onTerminal / alone;
    const bool terminalMet = terminal <= 1.15 && onTerminal <= teeOnTerminal;
    std::printf("  %-50s %6.2fx  (tee %.2fx)  target <= 1.15x, <= tee   %s\n",
                "on a pseudo-terminal, against the program alone", terminal,
                teeOnTerminal / alone, verdict(terminalMet));
    const double pipe = piped / tee;
    std::printf("  %-50s %6.2fx  target <= 1.5x   %s\n", "through a pipe, against tee", pipe,
                verdict(pipe <= 1.5));
    const std::vector<double> latencies = echoLatencies(path);
    const double p99 = latencies.empty() ? NAN : percentile(latencies, 0.99);
    std::printf("  %-50s %6.3f ms  (p50 %.3f ms, %zu lines)  target p99 < 10 ms   %s\n",
                "echo latency on a pseudo-terminal, p99", p99,
                latencies.empty() ? NAN : median(latencies), latencies.size(), verdict(p99 < 10));
    const long small = peakKiB(path, 16 * kMiB);
    const long large = peakKiB(path, 1024 * kMiB);
    std::printf("  %-50s %6ld KiB  (16 MiB: %ld KiB, 1 GiB: %ld KiB)  target < 1024 KiB   %s\n",
                "peak resident size growth", large - small, small, large,
                verdict(large - small < 1024));
    std::printf("  %-50s %6.2fx  target <= 1.05x   %s\n", "start-up, against env true",
                startRatio, verdict(startRatio <= 1.05));
    return terminalMet + (pipe <= 1.5) + (p99 < 10) + (large - small < 1024) + (startRatio <= 1.05);
}
}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 4) {
        std::fprintf(stderr, "usage: pump_bench MUSL_TARVIX [WINDOWS_TARVIX WINE]\n");
        return 2;
    }
    const std::vector<Utility> utilities = {{"tarvix", TARVIX}, {"tarvix (musl)", argv[1]}};
    shell("rm -rf " + kWork + " && mkdir -p " + kWork + " && echo x >" + kKey);
    setenv("TEMP", kWork.c_str(), 1);
    setenv("LC_ALL", "C", 1);  // the prompt, waited for, in English
    writeText(kText, kTextBytes);
    const std::time_t now = std::time(nullptr);
    char date[32];
    std::strftime(date, sizeof date, "%Y-%m-%d", std::localtime(&now));
    std::printf("Tarvix benchmark, %s, %u cores, %.0f GiB\n", date,
                std::thread::hardware_concurrency(),
                sysconf(_SC_PHYS_PAGES) * double(sysconf(_SC_PAGESIZE)) / (1 << 30));

    const std::string log = kWork + "/peer.log";
    std::vector<std::string> names = {"cat alone", "cat | tee LOG", "script -qc cat LOG"};
    std::vector<std::function<double()>> measures = {
        [] { return onTerminal({"cat", kText}); },
        [&] { return onTerminal({"sh", "-c", "cat " + kText + " | tee " + log}); },
        [&] { return onTerminal({"script", "-qc", "cat " + kText, log}); }};
    for (const Utility& utility : utilities) {
        names.push_back(utility.name + " cat");
        measures.push_back([&] { return onTerminal({utility.path, "cat", kText}); });
    }
    const Times terminalTimes = timedInTurn(measures, kRuns);
    const std::vector<double> terminal = medians(terminalTimes);
    printTable("on a pseudo-terminal, 40 MB of text", names, terminalTimes, "cat alone", 0);

    names = {"cat | cat", "cat | tee LOG | cat"};
    measures = {[] { return shell("cat " + kText + " | cat"); },
                [&] { return shell("cat " + kText + " | tee " + log + " | cat"); }};
    for (const Utility& utility : utilities) {
        names.push_back(utility.name + " cat | cat");
        measures.push_back([&] { return shell(utility.path + " cat " + kText + " <" + kKey + " | cat"); });
    }
    const Times pipedTimes = timedInTurn(measures, kRuns);
    const std::vector<double> piped = medians(pipedTimes);
    printTable("through a pipe, 40 MB of text", names, pipedTimes, "tee", 1);

    if (argc == 4) {  // wine names the file from its root, drive Z:
        writeText(kWineText, kWineTextBytes);
        std::string windowsPath = "Z:" + kWineText;
        std::replace(windowsPath.begin(), windowsPath.end(), '/', '\\');
        const std::string wine = argv[3], exe = argv[2];
        // type > NUL: cmd's own cost once its output is not the console, as under any capture.
        const Times consoleTimes = timedInTurn(
            {[&] { return onTerminal({wine, "cmd", "/c", "type", windowsPath}); },
             [&] { return onTerminal({wine, "cmd", "/c", "type", windowsPath, ">NUL"}); },
             [&] { return onTerminal({wine, exe, "cmd", "/c", "type", windowsPath}); }},
            kRuns);
        const std::vector<double> console = medians(consoleTimes);
        printTable("under wine's console, 670 KB of text",
                   {"type", "type > NUL", "tarvix.exe type"}, consoleTimes, "type", 0);
        std::printf("  %-50s %6.2fx  target <= 1.2x   %s\n", "tarvix.exe, against type",
                    console[2] / console[0], verdict(console[2] / console[0] <= 1.2));
    }

    // env only starts another program: the floor for one that starts a program.
    std::vector<std::function<double()>> starts = {[] { return run({"env", "true"}, kKey).seconds; }};
    for (const Utility& utility : utilities)
        starts.push_back([&] { return run({utility.path, "true"}, kKey).seconds; });
    const std::vector<double> started = medians(timedInTurn(starts, kStartRuns));
    std::printf("\nstart-up: env true %.2f ms", started[0] * 1000);
    for (std::size_t at = 0; at < utilities.size(); ++at)
        std::printf(", %s true %.2f ms", utilities[at].name.c_str(), started[at + 1] * 1000);
    std::printf("\n");

    for (std::size_t at = 0; at < utilities.size(); ++at) {
        const int met = reportFigures(utilities[at].name, utilities[at].path, terminal[0],
                                      piped[1], terminal[3 + at], terminal[1], piped[2 + at],
                                      started[at + 1] / started[0]);
        std::printf("summary, %s: %d of 5 targets met\n", utilities[at].name.c_str(), met);
    }
    shell("rm -rf " + kWork);
}
