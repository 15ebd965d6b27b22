// Throughput of the whole fennox-decode program: a generated stream of layout
// traffic (the same generator as fennox-sim) in a file, every display switch
// on, the Monitor log to a file on standard output and the Bitstream log to a
// file of its own, as a user runs it. Several builds of the program can be
// given; they run alternately on the same stream, so the figures of one run
// compare like with like, and their outputs are compared byte for byte.
// A program, not a test: figures depend on the machine.
#include "layout_traffic.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

// Every switch that shows something; only_once, filter and nur_ON would hide
// lines, and mot would read DCC bytes as Motorola records. A fixed clock
// makes the time stamps, and so the outputs of two builds, comparable.
const char* const Switches =
    "time,binaer,bitstream,schrott,schaltbefehle,lokbefehle_s,lokbefehle_f,railcom,idle,"
    "sonstige,cv,dcc_stream";
const char* const Clock = "12:34:56.789";

struct TTimes {
    double Cpu = 0; // user + system of the program
    double Wall = 0;
};

[[noreturn]] void Die(const std::string& what) {
    std::fprintf(stderr, "fennox-bench-decode-program: %s: %s\n", what.c_str(),
                 std::strerror(errno));
    std::exit(1);
}

void WriteAll(const std::string& path, const uint8_t* data, std::size_t size) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        Die("cannot write " + path);
    while (size > 0) {
        const ssize_t n = write(fd, data, std::min<std::size_t>(size, 1 << 20));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            Die("cannot write " + path);
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    if (close(fd) != 0)
        Die("cannot write " + path);
}

std::vector<uint8_t> ReadAll(const std::string& path) {
    std::vector<uint8_t> data;
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        Die("cannot read " + path);
    uint8_t block[1 << 16];
    for (;;) {
        const ssize_t n = read(fd, block, sizeof block);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            Die("cannot read " + path);
        if (n == 0)
            break;
        data.insert(data.end(), block, block + n);
    }
    close(fd);
    return data;
}

double Seconds(const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
}

TTimes RunDecoder(const std::string& program, const std::string& input,
                  const std::string& monitorOut, const std::string& bitstreamOut) {
    std::vector<std::string> args = {program,           "--on",       Switches, "--clock", Clock,
                                     "--bitstream-out", bitstreamOut, input};
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(&a[0]);
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, monitorOut.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        errno = spawned;
        Die("cannot run " + program);
    }
    int status = 0;
    rusage usage{};
    while (wait4(pid, &status, 0, &usage) < 0) {
        if (errno != EINTR)
            Die("cannot wait for " + program);
    }
    TTimes t;
    t.Wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    t.Cpu = Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "fennox-bench-decode-program: %s failed (status %d)\n",
                     program.c_str(), status);
        std::exit(1);
    }
    return t;
}

std::size_t CountLines(const std::vector<uint8_t>& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

double CpuOfSelf() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
}

const char* const Usage =
    "Usage: fennox-bench-decode-program [--megabytes N] [--runs N] PROGRAM [PROGRAM...]\n"
    "\n"
    "Runs each fennox-decode PROGRAM on the same generated device stream (default\n"
    "8 MB, seed 1) with every display switch on, a fixed clock, the Monitor log on\n"
    "standard output to a file and the Bitstream log to a file (new files for every\n"
    "run), N times each in turn (default 5). Prints the fastest run of each (CPU\n"
    "time of the program, user plus system, and wall time), its speed relative to\n"
    "the first PROGRAM, whether both logs are byte-identical to the first PROGRAM's,\n"
    "and what writing the same output alone costs. Exit status 1 when an output\n"
    "differs.\n";

} // namespace

int main(int argc, char** argv) {
    std::size_t megabytes = 8;
    int runs = 5;
    std::vector<std::string> programs;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--megabytes" && i + 1 < argc) {
            megabytes = std::strtoul(argv[++i], nullptr, 10);
        } else if (a == "--runs" && i + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++i]));
        } else if (a == "--help" || (!a.empty() && a[0] == '-')) {
            std::fputs(Usage, a == "--help" ? stdout : stderr);
            return a == "--help" ? 0 : 2;
        } else {
            programs.push_back(a);
        }
    }
    if (programs.empty() || megabytes == 0) {
        std::fputs(Usage, stderr);
        return 2;
    }

    const char* tmp = std::getenv("TMPDIR");
    std::string dirTemplate = std::string(tmp && *tmp ? tmp : "/tmp") + "/fennox-bench-XXXXXX";
    if (!mkdtemp(&dirTemplate[0]))
        Die("cannot create a folder in " + dirTemplate);
    const std::string dir = dirTemplate;
    const std::string input = dir + "/stream.bin";
    const std::vector<uint8_t> stream = GenerateTraffic(TSimMode::Dcc, 1, megabytes << 20);
    WriteAll(input, stream.data(), stream.size());

    const std::size_t count = programs.size();
    std::vector<TTimes> best(count);
    auto monitorPath = [&](std::size_t i) { return dir + "/monitor" + std::to_string(i) + ".txt"; };
    auto bitstreamPath = [&](std::size_t i) {
        return dir + "/bitstream" + std::to_string(i) + ".txt";
    };
    // Every run writes new files, as a user writing a new log does. A run
    // that truncated the files of the run before would be charged for
    // dropping their 200 MB from the page cache, while still dirty when the
    // run before was quick: about 20 ms here. Unlinked first, they are
    // dropped in this process instead.
    auto unlinkOutputs = [&](std::size_t i) {
        unlink(monitorPath(i).c_str());
        unlink(bitstreamPath(i).c_str());
    };
    for (int r = 0; r < runs; ++r) {
        for (std::size_t i = 0; i < count; ++i) {
            unlinkOutputs(i);
            const TTimes t = RunDecoder(programs[i], input, monitorPath(i), bitstreamPath(i));
            if (r == 0 || t.Cpu < best[i].Cpu)
                best[i].Cpu = t.Cpu;
            if (r == 0 || t.Wall < best[i].Wall)
                best[i].Wall = t.Wall;
        }
    }

    const std::vector<uint8_t> monitor0 = ReadAll(monitorPath(0));
    const std::vector<uint8_t> bitstream0 = ReadAll(bitstreamPath(0));
    const double mb = static_cast<double>(stream.size()) / 1e6;
    const double outMb = static_cast<double>(monitor0.size() + bitstream0.size()) / 1e6;
    std::printf("input    %.1f MB (%zu bytes), seed 1, best of %d runs\n", mb, stream.size(), runs);
    std::printf("output   %zu Monitor log lines, %zu Bitstream log lines, %.1f MB\n",
                CountLines(monitor0), CountLines(bitstream0), outMb);
    bool allSame = true;
    for (std::size_t i = 0; i < count; ++i) {
        bool same = true;
        if (i > 0)
            same = ReadAll(monitorPath(i)) == monitor0 && ReadAll(bitstreamPath(i)) == bitstream0;
        allSame = allSame && same;
        std::printf("%s\n", programs[i].c_str());
        std::printf("  cpu %.3f s  wall %.3f s  %.1f MB/s of input (cpu)  %.2fx the first  %s\n",
                    best[i].Cpu, best[i].Wall, mb / best[i].Cpu, best[0].Cpu / best[i].Cpu,
                    i == 0 ? "(reference)"
                    : same ? "output identical"
                           : "OUTPUT DIFFERS");
    }

    // The floor: the same bytes written to two files in large blocks.
    double writeBest = 0;
    for (int r = 0; r < runs; ++r) {
        unlink((dir + "/copy-monitor.txt").c_str());
        unlink((dir + "/copy-bitstream.txt").c_str());
        const double cpu0 = CpuOfSelf();
        WriteAll(dir + "/copy-monitor.txt", monitor0.data(), monitor0.size());
        WriteAll(dir + "/copy-bitstream.txt", bitstream0.data(), bitstream0.size());
        const double cpu = CpuOfSelf() - cpu0;
        if (r == 0 || cpu < writeBest)
            writeBest = cpu;
    }
    std::printf("writing the %.1f MB of output alone: cpu %.3f s\n", outMb, writeBest);

    for (const std::string& f : {input, dir + "/copy-monitor.txt", dir + "/copy-bitstream.txt"})
        unlink(f.c_str());
    for (std::size_t i = 0; i < count; ++i)
        unlinkOutputs(i);
    rmdir(dir.c_str());
    return allSame ? 0 : 1;
}
