// fennox-sim: a simulated Fennox device. Sends the byte stream of a busy
// layout to a pseudo-terminal, a file or a real serial port, paced like the
// device's line, so the monitor can be tried and tested without hardware.
#include "com_link.h"
#include "layout_traffic.h"
#include "line_settings.h"
#include "sim_options.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace {

volatile std::sig_atomic_t StopRequested = 0;

void OnStopSignal(int) {
    StopRequested = 1;
}

void InstallSignals() {
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a signal must wake a sleep or a blocked write.
    action.sa_flags = 0;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    // A reader that goes away shows as EPIPE, which ends the run cleanly.
    std::signal(SIGPIPE, SIG_IGN);
}

[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "fennox-sim: %s\n", what.c_str());
    std::exit(1);
}

enum class TDelivery { Ok, ReaderGone, Stopped, Failed };

// Writes everything to a descriptor that may block (file, pipe, serial port).
TDelivery WriteAll(int fd, const uint8_t* bytes, std::size_t n) {
    while (n > 0) {
        const ssize_t w = write(fd, bytes, n);
        if (w < 0) {
            if (errno == EINTR) {
                if (StopRequested)
                    return TDelivery::Stopped;
                continue;
            }
            return errno == EPIPE ? TDelivery::ReaderGone : TDelivery::Failed;
        }
        bytes += w;
        n -= static_cast<std::size_t>(w);
    }
    return TDelivery::Ok;
}

// The output and the tee file.
class TOutput {
public:
    explicit TOutput(const TSimOptions& options) : Kind(options.Output), Name(options.OutputPath) {
        if (!options.TeePath.empty()) {
            Tee = open(options.TeePath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
            if (Tee < 0)
                Fail("cannot write " + options.TeePath + ": " + std::strerror(errno));
            TeeName = options.TeePath;
        }
        switch (Kind) {
        case TSimOutput::Pty:
            OpenPty();
            break;
        case TSimOutput::File:
            if (Name == "-") {
                Fd = STDOUT_FILENO;
                Name = "standard output";
            } else {
                Fd = open(Name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
                if (Fd < 0)
                    Fail("cannot write " + Name + ": " + std::strerror(errno));
            }
            break;
        case TSimOutput::Device:
            OpenSerialDevice();
            break;
        case TSimOutput::None:
            break;
        }
    }

    ~TOutput() {
        if (Fd >= 0 && Fd != STDOUT_FILENO)
            close(Fd);
        if (Tee >= 0)
            close(Tee);
    }

    TOutput(const TOutput&) = delete;
    TOutput& operator=(const TOutput&) = delete;

    TDelivery Deliver(const uint8_t* bytes, std::size_t n) {
        std::size_t accepted = n;
        TDelivery result = TDelivery::Ok;
        if (Kind == TSimOutput::Pty) {
            accepted = OfferToPty(bytes, n);
        } else {
            result = WriteAll(Fd, bytes, n);
            if (result == TDelivery::Failed)
                Fail("cannot write " + Name + ": " + std::strerror(errno));
        }
        if (result == TDelivery::Ok && Tee >= 0 && accepted > 0 &&
            WriteAll(Tee, bytes, accepted) != TDelivery::Ok) {
            if (StopRequested)
                return TDelivery::Stopped;
            Fail("cannot write " + TeeName + ": " + std::strerror(errno));
        }
        return result;
    }

private:
    void OpenPty() {
        Fd = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (Fd < 0 || grantpt(Fd) != 0 || unlockpt(Fd) != 0)
            Fail(std::string("cannot create a pseudo-terminal: ") + std::strerror(errno));
        const char* slave = ptsname(Fd);
        if (!slave)
            Fail(std::string("cannot name the pseudo-terminal: ") + std::strerror(errno));
        const std::string slavePath = slave;
        // The port starts out raw, as a serial port carries bytes unchanged;
        // a terminal's default would echo the stream back and wait for line
        // ends until the monitor sets its own settings.
        const int s = open(slavePath.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        termios t{};
        if (s < 0 || tcgetattr(s, &t) != 0)
            Fail("cannot set up " + slavePath + ": " + std::strerror(errno));
        SetLineSettings(t);
        if (tcsetattr(s, TCSANOW, &t) != 0)
            Fail("cannot set up " + slavePath + ": " + std::strerror(errno));
        close(s);
        // Never wait: what the port cannot take is lost, as on real hardware.
        fcntl(Fd, F_SETFL, fcntl(Fd, F_GETFL) | O_NONBLOCK);
        std::printf("%s\n", slavePath.c_str());
        std::fflush(stdout);
    }

    void OpenSerialDevice() {
        Fd = OpenDevice(Name);
        if (Fd == INVALID_HANDLE_VALUE)
            Fail("cannot open " + Name + ": " + std::strerror(errno));
        termios t{};
        if (tcgetattr(Fd, &t) != 0)
            Fail("cannot read the settings of " + Name + ": " + std::strerror(errno));
        SetLineSettings(t);
        if (tcsetattr(Fd, TCSANOW, &t) != 0)
            Fail("cannot set " + Name + " to 19200 8N1: " + std::strerror(errno));
        // The port paces the writes at its baud rate.
        fcntl(Fd, F_SETFL, fcntl(Fd, F_GETFL) & ~O_NONBLOCK);
    }

    // Hands bytes to the pseudo-terminal without waiting; returns how many it
    // took. While no program holds the port open, a write would pile the
    // bytes up for whoever opens it next, so they are dropped instead.
    std::size_t OfferToPty(const uint8_t* bytes, std::size_t n) {
        // Anything written to the port (an echo, say) is read and discarded,
        // so it cannot fill up and stall the port.
        uint8_t scratch[256];
        while (read(Fd, scratch, sizeof scratch) > 0) {
        }
        pollfd p{Fd, POLLOUT, 0};
        if (poll(&p, 1, 0) < 0 || (p.revents & (POLLHUP | POLLERR)) || !(p.revents & POLLOUT))
            return 0;
        const ssize_t w = write(Fd, bytes, n);
        return w > 0 ? static_cast<std::size_t>(w) : 0;
    }

    TSimOutput Kind;
    std::string Name;
    int Fd = -1;
    int Tee = -1;
    std::string TeeName;
};

// Sleeps until `seconds` after `start`; returns early when a stop signal
// arrives.
void SleepUntil(const timespec& start, double seconds) {
    timespec due = start;
    const double whole = std::floor(seconds);
    due.tv_sec += static_cast<time_t>(whole);
    due.tv_nsec += static_cast<long>((seconds - whole) * 1e9);
    if (due.tv_nsec >= 1000000000L) {
        due.tv_sec += 1;
        due.tv_nsec -= 1000000000L;
    }
    while (!StopRequested &&
           clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &due, nullptr) == EINTR) {
    }
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    TSimOptions options;
    std::string error;
    switch (ParseSimOptions(args, options, error)) {
    case TSimParseResult::Help:
        std::fputs(SimUsage, stdout);
        return 0;
    case TSimParseResult::UsageError:
        std::fprintf(stderr, "fennox-sim: %s\nTry 'fennox-sim --help'.\n", error.c_str());
        return 2;
    case TSimParseResult::Ok:
        break;
    }

    InstallSignals();
    TOutput output(options);
    TLayoutTraffic traffic(options.Mode, options.Seed, options.ErrorRate);

    timespec start{};
    clock_gettime(CLOCK_MONOTONIC, &start);
    // Wall time per second of device time: the stream's content stays the
    // same at any rate, only its pace changes.
    const double wallPerDeviceSecond =
        options.Rate == 0 ? 0.0 : LineBytesPerSecond / static_cast<double>(options.Rate);
    // Writes of about 10 ms of the line at a time; unpaced, large blocks.
    const std::size_t block =
        options.Rate == 0 ? std::size_t{1} << 16 : std::max<std::size_t>(1, options.Rate / 100);

    std::vector<uint8_t> batch;
    uint64_t sent = 0;
    bool last = false;
    TDelivery result = TDelivery::Ok;
    while (!last && !StopRequested && result == TDelivery::Ok) {
        const TTrafficPiece piece = traffic.Next();
        std::size_t n = piece.Bytes.size();
        if (options.HasByteLimit && options.ByteLimit - sent <= n) {
            n = static_cast<std::size_t>(options.ByteLimit - sent);
            last = true;
        }
        if (options.HasSecondsLimit) {
            // Byte i goes on the line at Start + i / 1920.
            const double room =
                std::ceil((options.SecondsLimit - piece.Start) * LineBytesPerSecond - 1e-6);
            const std::size_t fits = room <= 0 ? 0 : static_cast<std::size_t>(room);
            if (fits <= n) {
                n = fits;
                last = true;
            }
        }
        sent += n;

        if (options.Rate == 0) {
            batch.insert(batch.end(), piece.Bytes.begin(),
                         piece.Bytes.begin() + static_cast<std::ptrdiff_t>(n));
            if (batch.size() >= block || last) {
                result = output.Deliver(batch.data(), batch.size());
                batch.clear();
            }
            continue;
        }
        for (std::size_t at = 0; at < n && result == TDelivery::Ok && !StopRequested; at += block) {
            const double deviceTime = piece.Start + static_cast<double>(at) / LineBytesPerSecond;
            SleepUntil(start, deviceTime * wallPerDeviceSecond);
            if (StopRequested)
                break;
            result = output.Deliver(piece.Bytes.data() + at, std::min(block, n - at));
        }
    }
    if (!batch.empty() && result == TDelivery::Ok && !StopRequested)
        output.Deliver(batch.data(), batch.size());
    return 0;
}
