#include "decode_options.h"

#include <cctype>

const char* const DecodeUsage =
    "Usage: fennox-decode [--on LIST] [--min TEXT] [--max TEXT] [--clock HH:MM:SS.mmm]\n"
    "                     [--bitstream-out FILE] [FILE|-]\n"
    "\n"
    "Decodes a byte stream recorded from the Fennox device and prints the Monitor log\n"
    "lines the window would show, one per line, in UTF-8.\n"
    "\n"
    "  FILE|-               the recorded bytes; standard input when '-' or absent\n"
    "  --on LIST            check these display switches (comma-separated, case-insensitive):\n"
    "                       time, binaer, bitstream, schrott, only_once, filter,\n"
    "                       schaltbefehle, nur_ON, lokbefehle_s, lokbefehle_f, railcom,\n"
    "                       idle, sonstige, cv, mot, dcc_stream; all others stay unchecked\n"
    "  --min TEXT           text of the lower filter field (default \"0\")\n"
    "  --max TEXT           text of the upper filter field (default \"9999\")\n"
    "  --clock HH:MM:SS.mmm one fixed local time for every time stamp\n"
    "  --bitstream-out FILE write the Bitstream log lines to FILE (always created)\n"
    "  --help               show this text\n"
    "\n"
    "Option values may begin with '-' (--min -5); --option=value works too.\n"
    "Bytes still held in the receive buffer at the end of the input are not decoded,\n"
    "as in the window. Exit status: 0 done, 1 input or output failed, 2 usage error.\n";

namespace {

std::string ValidSwitchNames() {
    std::string names;
    for (int i = 0; i < SwitchCount; ++i) {
        if (i > 0)
            names += ", ";
        names += SwitchName(static_cast<TSwitch>(i)) + 4;
    }
    return names;
}

bool ApplySwitchList(const std::string& list, TDecodeOptions& options, std::string& error) {
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t comma = list.find(',', start);
        if (comma == std::string::npos)
            comma = list.size();
        const std::string item = list.substr(start, comma - start);
        if (!item.empty()) {
            TSwitch s;
            if (!SwitchFromShortName(item, s)) {
                error = "unknown switch '" + item + "' in --on; valid names: " + ValidSwitchNames();
                return false;
            }
            options.Checked[static_cast<int>(s)] = true;
        }
        start = comma + 1;
    }
    return true;
}

bool TwoDigits(const std::string& t, std::size_t at, int max, int& value) {
    if (!std::isdigit(static_cast<unsigned char>(t[at])) ||
        !std::isdigit(static_cast<unsigned char>(t[at + 1])))
        return false;
    value = (t[at] - '0') * 10 + (t[at + 1] - '0');
    return value <= max;
}

// "HH:MM:SS.mmm" to the log's time text "HH:MM:SS:mmm".
bool ParseClock(const std::string& text, std::string& timeText) {
    int h, m, s;
    if (text.size() != 12 || text[2] != ':' || text[5] != ':' || text[8] != '.')
        return false;
    if (!TwoDigits(text, 0, 23, h) || !TwoDigits(text, 3, 59, m) || !TwoDigits(text, 6, 59, s))
        return false;
    for (std::size_t i = 9; i < 12; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(text[i])))
            return false;
    }
    timeText = text;
    timeText[8] = ':';
    return true;
}

} // namespace

TParseResult ParseDecodeOptions(const std::vector<std::string>& args, TDecodeOptions& options,
                                std::string& error) {
    bool haveInput = false;
    bool onlyFiles = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool isOption = !onlyFiles && arg.size() > 1 && arg[0] == '-';
        if (!isOption) {
            if (haveInput) {
                error =
                    "more than one input file given ('" + options.Input + "' and '" + arg + "')";
                return TParseResult::UsageError;
            }
            options.Input = arg;
            haveInput = true;
            continue;
        }
        if (arg == "--") {
            onlyFiles = true;
            continue;
        }
        if (arg == "--help" || arg == "-h")
            return TParseResult::Help;

        std::string name = arg;
        std::string value;
        bool hasValue = false;
        const std::size_t eq = arg.find('=');
        if (arg.compare(0, 2, "--") == 0 && eq != std::string::npos) {
            name = arg.substr(0, eq);
            value = arg.substr(eq + 1);
            hasValue = true;
        }
        if (name != "--on" && name != "--min" && name != "--max" && name != "--clock" &&
            name != "--bitstream-out") {
            error = "unknown option '" + name + "'";
            return TParseResult::UsageError;
        }
        if (!hasValue) {
            if (i + 1 >= args.size()) {
                error = "option '" + name + "' needs a value";
                return TParseResult::UsageError;
            }
            value = args[++i];
        }

        if (name == "--on") {
            if (!ApplySwitchList(value, options, error))
                return TParseResult::UsageError;
        } else if (name == "--min") {
            options.MinText = value;
        } else if (name == "--max") {
            options.MaxText = value;
        } else if (name == "--clock") {
            if (!ParseClock(value, options.ClockText)) {
                error =
                    "--clock needs HH:MM:SS.mmm (HH 00-23, MM and SS 00-59), not '" + value + "'";
                return TParseResult::UsageError;
            }
            options.HasClock = true;
        } else {
            if (value.empty()) {
                error = "--bitstream-out needs a file name";
                return TParseResult::UsageError;
            }
            options.BitstreamOut = value;
        }
    }
    return TParseResult::Ok;
}
