#include "sim_options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

const char* const SimUsage =
    "Usage: fennox-sim [--mode dcc|mot] [--seed N] [--rate BYTES_PER_SECOND]\n"
    "                  [--bytes N | --seconds S] [--errors RATE] [--tee FILE]\n"
    "                  (--pty | --out FILE | --device PATH)\n"
    "\n"
    "A simulated Fennox device: sends the byte stream the device would send while\n"
    "watching a busy layout. The same seed gives the same stream.\n"
    "\n"
    "  --mode dcc|mot   dcc (default): the track's DCC bits, eight to a byte, with\n"
    "                   locomotives, functions, accessories, idle packets, RailCom\n"
    "                   NOPs and now and then a service-mode CV session;\n"
    "                   mot: Motorola switch and locomotive records.\n"
    "                   Either way a Device info record at the start and every 5 s.\n"
    "  --seed N         the layout and its traffic (default 1; 0 to 4294967295)\n"
    "  --rate N         bytes per second on the line (default 1920, which is 19200\n"
    "                   baud 8N1 and real time); 0 sends as fast as possible.\n"
    "                   The stream's content does not depend on the rate.\n"
    "  --bytes N        stop after N bytes\n"
    "  --seconds S      stop after S seconds of the device's time (at 1920 bytes\n"
    "                   per second); without --bytes or --seconds it runs until\n"
    "                   stopped\n"
    "  --errors RATE    flip each track bit with this chance (0 to 1, e.g. 1e-4)\n"
    "  --tee FILE       also write every byte sent to FILE; with --pty only the\n"
    "                   bytes that reached the port\n"
    "  --pty            create a pseudo-terminal, print its slave path as the\n"
    "                   first line of standard output, and feed it; while no\n"
    "                   program holds the port open the bytes are dropped, as on\n"
    "                   a real port, and the simulator never waits\n"
    "  --out FILE       write to FILE; '-' is standard output\n"
    "  --device PATH    write to a serial port, set to 19200 8N1 raw (a loopback\n"
    "                   cable to the monitor's port)\n"
    "  --help           show this text\n"
    "\n"
    "--option=value works too. It ends on SIGINT or SIGTERM and when the reader of\n"
    "--out goes away. Exit status: 0 done, 1 output failed, 2 usage error.\n";

namespace {

bool ParseUnsigned(const std::string& text, uint64_t max, uint64_t& value) {
    if (text.empty() || text.size() > 20)
        return false;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
    }
    errno = 0;
    const unsigned long long v = std::strtoull(text.c_str(), nullptr, 10);
    if (errno == ERANGE || v > max)
        return false;
    value = v;
    return true;
}

// A plain decimal or exponent number, no sign, no blanks, finite.
bool ParseNonNegative(const std::string& text, double& value) {
    if (text.empty() || !((text[0] >= '0' && text[0] <= '9') || text[0] == '.'))
        return false;
    char* end = nullptr;
    errno = 0;
    const double v = std::strtod(text.c_str(), &end);
    if (errno == ERANGE || *end != '\0' || !std::isfinite(v) || v < 0)
        return false;
    value = v;
    return true;
}

} // namespace

TSimParseResult ParseSimOptions(const std::vector<std::string>& args, TSimOptions& options,
                                std::string& error) {
    std::vector<std::string> seen;
    auto once = [&](const std::string& name) {
        for (const std::string& s : seen) {
            if (s == name) {
                error = name + " given twice";
                return false;
            }
        }
        seen.push_back(name);
        return true;
    };
    auto setOutput = [&](TSimOutput output, const std::string& name) {
        if (options.Output != TSimOutput::None) {
            error = "give only one of --pty, --out and --device (" + name + ")";
            return false;
        }
        options.Output = output;
        return true;
    };

    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::string value;
        bool hasValue = false;
        const std::size_t eq = name.find('=');
        if (name.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name = name.substr(0, eq);
            hasValue = true;
        }
        if (name == "--help" || name == "-h") {
            if (hasValue) {
                error = "--help takes no value";
                return TSimParseResult::UsageError;
            }
            return TSimParseResult::Help;
        }
        if (name == "--pty") {
            if (hasValue) {
                error = "--pty takes no value";
                return TSimParseResult::UsageError;
            }
            if (!setOutput(TSimOutput::Pty, name))
                return TSimParseResult::UsageError;
            continue;
        }
        static const char* const withValue[] = {"--mode",  "--seed",    "--rate",
                                                "--bytes", "--seconds", "--errors",
                                                "--tee",   "--out",     "--device"};
        bool known = false;
        for (const char* n : withValue)
            known = known || name == n;
        if (!known) {
            error = name.rfind("-", 0) == 0 ? "unknown option " + name
                                            : "unexpected argument '" + name + "'";
            return TSimParseResult::UsageError;
        }
        if (!hasValue) {
            if (i + 1 >= args.size()) {
                error = name + " needs a value";
                return TSimParseResult::UsageError;
            }
            value = args[++i];
        }
        if (!once(name))
            return TSimParseResult::UsageError;

        uint64_t number = 0;
        if (name == "--mode") {
            if (value == "dcc") {
                options.Mode = TSimMode::Dcc;
            } else if (value == "mot") {
                options.Mode = TSimMode::Motorola;
            } else {
                error = "--mode must be dcc or mot, not '" + value + "'";
                return TSimParseResult::UsageError;
            }
        } else if (name == "--seed") {
            if (!ParseUnsigned(value, UINT32_MAX, number)) {
                error = "--seed must be a whole number from 0 to 4294967295, not '" + value + "'";
                return TSimParseResult::UsageError;
            }
            options.Seed = static_cast<uint32_t>(number);
        } else if (name == "--rate") {
            if (!ParseUnsigned(value, 100000000, number)) {
                error = "--rate must be a whole number of bytes per second from 0 to "
                        "100000000, not '" +
                        value + "'";
                return TSimParseResult::UsageError;
            }
            options.Rate = static_cast<uint32_t>(number);
        } else if (name == "--bytes") {
            if (!ParseUnsigned(value, UINT64_MAX, number)) {
                error = "--bytes must be a whole number, not '" + value + "'";
                return TSimParseResult::UsageError;
            }
            options.HasByteLimit = true;
            options.ByteLimit = number;
        } else if (name == "--seconds") {
            if (!ParseNonNegative(value, options.SecondsLimit)) {
                error = "--seconds must be a number of seconds, not '" + value + "'";
                return TSimParseResult::UsageError;
            }
            options.HasSecondsLimit = true;
        } else if (name == "--errors") {
            if (!ParseNonNegative(value, options.ErrorRate) || options.ErrorRate > 1) {
                error = "--errors must be a chance from 0 to 1, not '" + value + "'";
                return TSimParseResult::UsageError;
            }
        } else if (name == "--tee") {
            if (value.empty()) {
                error = "--tee needs a file name";
                return TSimParseResult::UsageError;
            }
            options.TeePath = value;
        } else if (name == "--out" || name == "--device") {
            if (value.empty()) {
                error = name + " needs a file name";
                return TSimParseResult::UsageError;
            }
            if (!setOutput(name == "--out" ? TSimOutput::File : TSimOutput::Device, name))
                return TSimParseResult::UsageError;
            options.OutputPath = value;
        }
    }
    if (options.HasByteLimit && options.HasSecondsLimit) {
        error = "give --bytes or --seconds, not both";
        return TSimParseResult::UsageError;
    }
    if (options.Output == TSimOutput::None) {
        error = "say where the bytes go: --pty, --out FILE or --device PATH";
        return TSimParseResult::UsageError;
    }
    return TSimParseResult::Ok;
}
