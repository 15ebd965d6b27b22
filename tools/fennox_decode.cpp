// fennox-decode: decodes a byte stream recorded from the device and prints
// the Monitor log lines the window would show, without a window.
#include "console.h"
#include "decode_options.h"
#include "headless_host.h"
#include "line_output.h"
#include "platform_io.h"
#include "rx_collector.h"
#include "stream_decoder.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// Hands the decoder's lines straight to the two outputs.
class TDecodeHost final : public THeadlessHost {
public:
    TDecodeHost(TLineOutput& monitor, TLineOutput* bitstream)
        : Monitor(monitor), Bitstream(bitstream) {}

    void AppendMonitorLine(std::string_view line) override {
        Monitor.Write(line.data(), line.size());
    }
    void AppendBitstreamLine(std::string_view line) override {
        if (Bitstream)
            Bitstream->Write(line.data(), line.size());
    }

private:
    TLineOutput& Monitor;
    TLineOutput* Bitstream;
};

} // namespace

int main(int argc, char** argv) {
    // The logs are UTF-8 with "\n" line ends on every platform.
    UseBinaryStdio();
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

    IgnoreBrokenPipe();

    const bool fromStdin = options.Input == "-";
    const std::string inputName = fromStdin ? "standard input" : options.Input;
    // Started by a double click, or by hand without a file: say what it
    // waits for instead of waiting silently.
    if (fromStdin && IsTerminal(stdin))
        std::fputs("fennox-decode: reads the device's bytes from standard input, here the "
                   "keyboard.\nGive it a recorded file instead: fennox-decode [--on LIST] FILE\n"
                   "(fennox-decode --help lists the switches). Ctrl-C ends.\n",
                   stderr);
    int inputFd = 0;
    if (!fromStdin) {
        inputFd = OpenForReading(options.Input);
        if (inputFd < 0) {
            std::fprintf(stderr, "fennox-decode: cannot read %s: %s\n", inputName.c_str(),
                         std::strerror(errno));
            return 1;
        }
    }

    int bitstreamFd = -1;
    if (!options.BitstreamOut.empty()) {
        bitstreamFd = CreateForWriting(options.BitstreamOut);
        if (bitstreamFd < 0) {
            std::fprintf(stderr, "fennox-decode: cannot write %s: %s\n",
                         options.BitstreamOut.c_str(), std::strerror(errno));
            return 1;
        }
    }

    TLineOutput monitor(STDOUT_FILENO, "standard output");
    TLineOutput bitstream(bitstreamFd, options.BitstreamOut);

    TDecodeHost host(monitor, bitstreamFd >= 0 ? &bitstream : nullptr);
    for (int i = 0; i < SwitchCount; ++i)
        host.SetChecked(static_cast<TSwitch>(i), options.Checked[i]);
    host.SetMinText(options.MinText);
    host.SetMaxText(options.MaxText);
    if (options.HasClock)
        host.SetFixedTime(options.ClockText);

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
    const bool bitstreamOk = bitstreamFd < 0 || bitstream.Finish(true);
    if (!monitorOk)
        std::fprintf(stderr, "%s\n", monitor.ErrorText().c_str());
    if (!bitstreamOk)
        std::fprintf(stderr, "%s\n", bitstream.ErrorText().c_str());
    if (!monitorOk || !bitstreamOk)
        status = 1;
    return status;
}
