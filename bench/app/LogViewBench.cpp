// The whole program and velora-sniff side by side on the same saturated line: the bench
// writes the same bytes, polls at 19200 baud (11 bits a byte: 1745 one-byte frames a
// second), into two pseudo-terminals, one opened by `velora-debugger PORT` with its real
// window, the other by `velora-sniff PORT`, and compares the CPU time of the two processes
// while the first stretch of the session fills and again at the end of a longer run. Run
// under a virtual X server:
//
//   xvfb-run -a -s "-screen 0 1280x1024x24" build/bench/app/bench_log_view
//
// Options: --first N (seconds of the first stretch, default 15), --total N (seconds of the
// whole run, the last N of --first measured again; default 45), --rate N (bytes a second,
// default 1745), --chunk-ms N (the line is written in pieces this far apart, default 10: a
// converter's latency tick; 0.573 writes one character at a time at the line's pace). The
// goal is a ratio of at most 1.5 after one minute and after ten: --first 60 --total 660.
#include <test_support/PseudoTerminal.h>
#include <velora_traffic/TrafficGenerator.h>

#include <signal.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

struct Options {
    double first = 15;
    double total = 45;
    double rate = 1745;
    double chunkMs = 10;
};

Options parse(int argc, char** argv) {
    Options options;
    for (int i = 1; i + 1 < argc; i += 2) {
        const double value = std::atof(argv[i + 1]);
        if (!std::strcmp(argv[i], "--first")) {
            options.first = value;
        } else if (!std::strcmp(argv[i], "--total")) {
            options.total = value;
        } else if (!std::strcmp(argv[i], "--rate")) {
            options.rate = value;
        } else if (!std::strcmp(argv[i], "--chunk-ms")) {
            options.chunkMs = std::max(value, 0.1);
        }
    }
    options.total = std::max(options.total, options.first);
    return options;
}

// A program started for the run, ended with SIGTERM.
class Child {
public:
    Child(std::vector<std::string> args, const std::vector<std::string>& extraEnvironment) {
        std::vector<std::string> environment(extraEnvironment);
        for (char** e = environ; *e != nullptr; ++e) {
            environment.emplace_back(*e);
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        const std::vector<char*> argv = pointers(args);
        const std::vector<char*> envp = pointers(environment);
        if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) {
            std::fprintf(stderr, "cannot start %s\n", argv[0]);
            std::exit(1);
        }
        posix_spawn_file_actions_destroy(&actions);
    }
    ~Child() {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }

    // User and system time so far, from /proc/PID/stat.
    double cpuSeconds() const {
        std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
        std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        // Fields after the command name in parentheses: state is field 3, utime 14, stime 15.
        std::istringstream fields(stat.substr(stat.rfind(')') + 2));
        std::string field;
        double ticks = 0;
        for (int number = 3; number <= 15 && fields >> field; ++number) {
            if (number >= 14) {
                ticks += std::atof(field.c_str());
            }
        }
        return ticks / double(sysconf(_SC_CLK_TCK));
    }

    double residentMb() const {
        std::ifstream in("/proc/" + std::to_string(pid) + "/status");
        for (std::string line; std::getline(in, line);) {
            if (line.rfind("VmRSS:", 0) == 0) {
                return std::atof(line.c_str() + 6) / 1024.0;
            }
        }
        return 0;
    }

private:
    static std::vector<char*> pointers(std::vector<std::string>& strings) {
        std::vector<char*> result;
        for (std::string& s : strings) {
            result.push_back(s.data());
        }
        result.push_back(nullptr);
        return result;
    }

    pid_t pid = -1;
};

// Polls of addresses 1 to 126, over and over: one frame a byte.
std::vector<std::uint8_t> pollStream() {
    velora_traffic::TrafficGenerator generator;
    for (int i = 0; i < 20; ++i) {
        generator.pollRun(1, 126);
    }
    return generator.bytes();
}

// Bytes written to a pseudo-terminal that its reader has not read yet.
int unread(int slave) {
    int count = 0;
    return ioctl(slave, FIONREAD, &count) == 0 ? count : -1;
}

struct Sample {
    double program = 0;
    double sniff = 0;
    Clock::time_point at;
};

class Bench {
public:
    explicit Bench(const Options& options)
        : options(options)
        , home(std::filesystem::temp_directory_path() /
               ("bench_log_view." + std::to_string(getpid()))) {
        std::filesystem::create_directories(home);
        // Our own descriptors of the slaves only ask how much is unread.
        programSlave = open(programLine.slavePath().c_str(), O_RDONLY | O_NOCTTY | O_CLOEXEC);
        sniffSlave = open(sniffLine.slavePath().c_str(), O_RDONLY | O_NOCTTY | O_CLOEXEC);
        // Settings and the session's spill file go to a folder of the run.
        const std::vector<std::string> environment{"XDG_CONFIG_HOME=" + (home / "config").string(),
                                                   "XDG_CACHE_HOME=" + (home / "cache").string()};
        program = std::make_unique<Child>(
            std::vector<std::string>{VELORA_DEBUGGER_PATH, programLine.slavePath()}, environment);
        sniff = std::make_unique<Child>(
            std::vector<std::string>{VELORA_SNIFF_PATH, sniffLine.slavePath()}, environment);
        // Both open their port and purge it before they read.
        std::this_thread::sleep_for(std::chrono::seconds(3));
    }
    ~Bench() {
        program.reset();
        sniff.reset();
        close(programSlave);
        close(sniffSlave);
        std::filesystem::remove_all(home);
    }

    void run() {
        std::printf("velora-debugger and velora-sniff at %.0f bytes a second in pieces %.3f ms "
                    "apart: first %.0f s, total %.0f s\n",
                    options.rate, options.chunkMs, options.first, options.total);
        const std::vector<std::uint8_t> stream = pollStream();
        std::size_t position = 0;
        long written = 0;
        long pieces = 0;
        const Clock::time_point start = Clock::now();
        const auto seconds = [start](Clock::time_point t) {
            return std::chrono::duration<double>(t - start).count();
        };
        Sample begin = sample();
        bool firstReported = false;
        bool laterStarted = options.total < 2 * options.first;
        Sample laterBegin = begin;
        for (auto tick = start; seconds(tick) < options.total;
             tick += std::chrono::duration_cast<Clock::duration>(
                 std::chrono::duration<double, std::milli>(options.chunkMs))) {
            std::this_thread::sleep_until(tick);
            const double elapsed = seconds(Clock::now());
            const long due = long(elapsed * options.rate) - written;
            std::vector<std::uint8_t> chunk;
            for (long i = 0; i < due; ++i) {
                chunk.push_back(stream[position]);
                position = (position + 1) % stream.size();
            }
            // The side written first pays for it: its reader wakes while the bench is still
            // writing (written first every time, the desktop program took 0.2-0.3 % of a core
            // more and velora-sniff as much less). Each side goes first every other piece.
            if (++pieces % 2 == 0) {
                programLine.write(chunk);
                sniffLine.write(chunk);
            } else {
                sniffLine.write(chunk);
                programLine.write(chunk);
            }
            written += due;
            maxUnread = std::max(maxUnread, unread(programSlave));
            if (!firstReported && elapsed >= options.first) {
                report("first", begin, sample());
                firstReported = true;
            }
            if (!laterStarted && elapsed >= options.total - options.first) {
                laterBegin = sample();
                laterStarted = true;
            }
        }
        report("last", laterBegin, sample());
        std::printf("velora-sniff's port: %d bytes unread at the end\n", unread(sniffSlave));
    }

private:
    Sample sample() const { return {program->cpuSeconds(), sniff->cpuSeconds(), Clock::now()}; }

    void report(const char* name, const Sample& from, const Sample& to) {
        const double seconds = std::chrono::duration<double>(to.at - from.at).count();
        const double programShare = 100.0 * (to.program - from.program) / seconds;
        const double sniffShare = 100.0 * (to.sniff - from.sniff) / seconds;
        std::printf("%-6s %6.1f s  velora-debugger %5.1f %% of a core  velora-sniff %5.1f %%  "
                    "ratio %5.2f  program resident %6.1f MB  unread at its port max %d bytes\n",
                    name, seconds, programShare, sniffShare,
                    sniffShare > 0 ? programShare / sniffShare : 0.0, program->residentMb(),
                    maxUnread);
        std::fflush(stdout);
        maxUnread = 0;
    }

    Options options;
    std::filesystem::path home;
    pseudo_terminal::PseudoTerminal programLine;
    pseudo_terminal::PseudoTerminal sniffLine;
    int programSlave = -1;
    int sniffSlave = -1;
    std::unique_ptr<Child> program;
    std::unique_ptr<Child> sniff;
    int maxUnread = 0;
};

} // namespace

int main(int argc, char** argv) {
    Bench bench(parse(argc, argv));
    bench.run();
    return 0;
}
