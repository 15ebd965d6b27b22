// fennox-decode: decodes a byte stream recorded from the device and prints
// the Monitor log lines the window would show, without a window.
#include "decode_options.h"
#include "headless_host.h"
#include "rx_collector.h"
#include "stream_decoder.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// Writes lines to a stream, each byte as the Latin-1 character of its value
// encoded in UTF-8. Remembers the first failure so main can report it.
class TLineWriter {
public:
    TLineWriter(std::FILE* file, std::string name) : File(file), Name(std::move(name)) {}

    void Write(const std::string& line) {
        if (Failed)
            return;
        Buffer.clear();
        for (unsigned char c : line) {
            if (c < 0x80) {
                Buffer.push_back(static_cast<char>(c));
            } else {
                Buffer.push_back(static_cast<char>(0xC0 | (c >> 6)));
                Buffer.push_back(static_cast<char>(0x80 | (c & 0x3F)));
            }
        }
        Buffer.push_back('\n');
        if (std::fwrite(Buffer.data(), 1, Buffer.size(), File) != Buffer.size())
            Fail();
    }

    // Flushes and closes (standard output is only flushed).
    bool Finish(bool close) {
        if (!Failed && std::fflush(File) != 0)
            Fail();
        if (close && std::fclose(File) != 0 && !Failed)
            Fail();
        return !Failed;
    }

    bool HasFailed() const { return Failed; }
    const std::string& ErrorText() const { return Error; }

private:
    void Fail() {
        Failed = true;
        Error = "fennox-decode: cannot write " + Name + ": " + std::strerror(errno);
    }

    std::FILE* File;
    std::string Name;
    std::string Buffer;
    bool Failed = false;
    std::string Error;
};

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    TDecodeOptions options;
    std::string error;
    switch (ParseDecodeOptions(args, options, error)) {
    case TParseResult::Help:
        std::fputs(DecodeUsage, stdout);
        return 0;
    case TParseResult::UsageError:
        std::fprintf(stderr, "fennox-decode: %s\nTry 'fennox-decode --help'.\n", error.c_str());
        return 2;
    case TParseResult::Ok:
        break;
    }

    // A closed pipe on the output is reported as a write failure, not a signal.
    std::signal(SIGPIPE, SIG_IGN);

    const bool fromStdin = options.Input == "-";
    const std::string inputName = fromStdin ? "standard input" : options.Input;
    int inputFd = 0;
    if (!fromStdin) {
        inputFd = open(options.Input.c_str(), O_RDONLY | O_CLOEXEC);
        if (inputFd < 0) {
            std::fprintf(stderr, "fennox-decode: cannot read %s: %s\n", inputName.c_str(),
                         std::strerror(errno));
            return 1;
        }
    }

    std::FILE* bitstreamFile = nullptr;
    if (!options.BitstreamOut.empty()) {
        bitstreamFile = std::fopen(options.BitstreamOut.c_str(), "wb");
        if (!bitstreamFile) {
            std::fprintf(stderr, "fennox-decode: cannot write %s: %s\n",
                         options.BitstreamOut.c_str(), std::strerror(errno));
            return 1;
        }
    }

    static char stdoutBuffer[1 << 16];
    std::setvbuf(stdout, stdoutBuffer, _IOFBF, sizeof stdoutBuffer);
    TLineWriter monitor(stdout, "standard output");
    TLineWriter bitstream(bitstreamFile, options.BitstreamOut);

    THeadlessHost host;
    for (int i = 0; i < SwitchCount; ++i)
        host.SetChecked(static_cast<TSwitch>(i), options.Checked[i]);
    host.SetMinText(options.MinText);
    host.SetMaxText(options.MaxText);
    if (options.HasClock)
        host.SetFixedTime(options.ClockText);
    host.OnMonitorLine = [&](const std::string& line) { monitor.Write(line); };
    if (bitstreamFile)
        host.OnBitstreamLine = [&](const std::string& line) { bitstream.Write(line); };

    TStreamDecoder decoder(host);
    TRxBuffer rx;
    std::vector<uint8_t> block(1 << 16);
    int status = 0;
    for (;;) {
        const ssize_t got = read(inputFd, block.data(), block.size());
        if (got < 0) {
            if (errno == EINTR)
                continue;
            std::fprintf(stderr, "fennox-decode: cannot read %s: %s\n", inputName.c_str(),
                         std::strerror(errno));
            status = 1;
            break;
        }
        if (got == 0)
            break;
        CollectBytes(decoder, rx, block.data(), static_cast<std::size_t>(got));
        if (monitor.HasFailed() || bitstream.HasFailed())
            break;
    }
    if (!fromStdin)
        close(inputFd);

    const bool monitorOk = monitor.Finish(false);
    const bool bitstreamOk = !bitstreamFile || bitstream.Finish(true);
    if (!monitorOk)
        std::fprintf(stderr, "%s\n", monitor.ErrorText().c_str());
    if (!bitstreamOk)
        std::fprintf(stderr, "%s\n", bitstream.ErrorText().c_str());
    if (!monitorOk || !bitstreamOk)
        status = 1;
    return status;
}
