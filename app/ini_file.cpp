#include "ini_file.h"

#include "atomic_file.h"
#include "number_text.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <unordered_set>
#include <utility>

#include <fcntl.h>
#include <unistd.h>

#ifdef _WIN32
#include <io.h>
#endif

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string TrimBlanks(const std::string& text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

// ASCII only: the names we store are ASCII, and a Latin-1 letter in a name
// someone else wrote must not depend on the locale.
char FoldCase(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

std::string TIniFile::FoldedName(const std::string& name) {
    std::string folded = name;
    for (char& c : folded)
        c = FoldCase(c);
    return folded;
}

namespace {

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldCase(a[i]) != FoldCase(b[i]))
            return false;
    }
    return true;
}

std::string DecimalText(int32_t value) {
    std::string text;
    AppendInt(text, value);
    return text;
}

// The error box's text: German like the window, with the system's reason.
std::string Failure(const char* what, const std::string& path, const std::string& reason) {
    return "Die Datei \"" + path + "\" " + what + ": " + reason;
}

std::string Failure(const char* what, const std::string& path, int error) {
    return Failure(what, path, std::string(std::strerror(error)));
}

#ifdef _WIN32
// Raw bytes (the file's CR LF are its own), and not inherited by programs
// this one starts.
constexpr int OpenFlags = O_BINARY | O_NOINHERIT;
#else
constexpr int OpenFlags = O_CLOEXEC;
#endif

const char* const CannotOpen = "kann nicht ge\xC3\xB6"
                               "ffnet werden";
const char* const CannotRead = "kann nicht gelesen werden";
const char* const CannotWrite = "kann nicht geschrieben werden";

// Closes a descriptor on every way out.
class TFd {
public:
    explicit TFd(int fd) : Fd(fd) {}
    TFd(const TFd&) = delete;
    TFd& operator=(const TFd&) = delete;
    ~TFd() {
        if (Fd >= 0)
            ::close(Fd);
    }
    int Get() const { return Fd; }

private:
    int Fd;
};

} // namespace

TIniFile TIniFile::Load(const std::string& path) {
    TFd fd(::open(path.c_str(), O_RDONLY | OpenFlags));
    if (fd.Get() < 0) {
        // ENOTDIR: a file stands where a folder of the path would be, so
        // there is no settings file either.
        if (errno == ENOENT || errno == ENOTDIR)
            return TIniFile();
        throw std::runtime_error(Failure(CannotOpen, path, errno));
    }
    std::string text;
    char buffer[4096];
    for (;;) {
        const auto got = ::read(fd.Get(), buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            throw std::runtime_error(Failure(CannotRead, path, errno));
        }
        if (got == 0)
            break;
        text.append(buffer, static_cast<std::size_t>(got));
    }
    return Parse(text);
}

TIniFile TIniFile::Parse(const std::string& text) {
    TIniFile ini;
    TSection* current = nullptr;
    std::size_t pos = 0;
    // Windows editors start a UTF-8 file with a byte-order mark; it is not
    // part of the first line.
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0)
        pos = 3;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        line = TrimBlanks(line);
        if (line.empty() || line[0] == ';')
            continue;
        const std::size_t close = line[0] == '[' ? line.find(']') : std::string::npos;
        if (close != std::string::npos) {
            // What follows the "]" (a comment, say) does not belong to the name.
            const std::string name = TrimBlanks(line.substr(1, close - 1));
            current = ini.FindSection(name);
            if (current == nullptr)
                current = &ini.AddSection(name);
            continue;
        }
        if (current == nullptr)
            continue;
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos)
            continue;
        std::string key = TrimBlanks(line.substr(0, equals));
        if (key.empty())
            continue;
        current->Entries.push_back(TEntry{std::move(key), TrimBlanks(line.substr(equals + 1))});
    }
    return ini;
}

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& defaultValue) const {
    const TSection* found = FindSection(section);
    if (found == nullptr)
        return defaultValue;
    for (const TEntry& entry : found->Entries) {
        if (SameName(entry.Key, key))
            return entry.Value;
    }
    return defaultValue;
}

int32_t TIniFile::ReadInteger(const std::string& section, const std::string& key,
                              int32_t defaultValue) const {
    const TSection* found = FindSection(section);
    if (found == nullptr)
        return defaultValue;
    for (const TEntry& entry : found->Entries) {
        if (SameName(entry.Key, key)) {
            int32_t value = 0;
            return TryIntegerFromText(entry.Value, value) ? value : defaultValue;
        }
    }
    return defaultValue;
}

std::vector<TIniFile::TEntry> TIniFile::SectionEntries(const std::string& section) const {
    std::vector<TEntry> entries;
    const TSection* found = FindSection(section);
    if (found == nullptr)
        return entries;
    std::unordered_set<std::string> seen;
    for (const TEntry& entry : found->Entries) {
        if (seen.insert(FoldedName(entry.Key)).second)
            entries.push_back(entry);
    }
    return entries;
}

void TIniFile::WriteInteger(const std::string& section, const std::string& key, int32_t value) {
    TSection* found = FindSection(section);
    if (found == nullptr)
        found = &AddSection(section);
    for (TEntry& entry : found->Entries) {
        if (SameName(entry.Key, key)) {
            entry.Key = key;
            entry.Value = DecimalText(value);
            return;
        }
    }
    found->Entries.push_back(TEntry{key, DecimalText(value)});
}

std::string TIniFile::Text() const {
    std::string text;
    for (const TSection& section : Sections) {
        text += '[';
        text += section.Name;
        text += "]\r\n";
        for (const TEntry& entry : section.Entries) {
            text += entry.Key;
            text += '=';
            text += entry.Value;
            text += "\r\n";
        }
        text += "\r\n";
    }
    return text;
}

void TIniFile::Save(const std::string& path) const {
    const std::string text = Text();
    const std::string reason =
        WriteFileWhole(path, [&text](const TPieceSink& sink) { sink(text.data(), text.size()); });
    if (!reason.empty())
        throw std::runtime_error(Failure(CannotWrite, path, reason));
}

const TIniFile::TSection* TIniFile::FindSection(const std::string& name) const {
    const auto found = SectionIndex.find(FoldedName(name));
    return found == SectionIndex.end() ? nullptr : &Sections[found->second];
}

TIniFile::TSection* TIniFile::FindSection(const std::string& name) {
    const auto found = SectionIndex.find(FoldedName(name));
    return found == SectionIndex.end() ? nullptr : &Sections[found->second];
}

TIniFile::TSection& TIniFile::AddSection(const std::string& name) {
    SectionIndex.emplace(FoldedName(name), Sections.size());
    Sections.push_back(TSection{name, {}});
    return Sections.back();
}

std::string SettingsFileName(const std::string& programPath) {
    const std::size_t slash = programPath.rfind('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    if (programPath.find('.', nameStart) == std::string::npos)
        return programPath + ".ini";
    const std::size_t keep = programPath.size() >= 3 ? programPath.size() - 3 : 0;
    return programPath.substr(0, keep) + "ini";
}

std::string FolderOf(const std::string& path) {
#ifdef _WIN32
    const std::size_t end = path.find_last_of("\\/");
#else
    const std::size_t end = path.rfind('/');
#endif
    if (end == std::string::npos)
        return ".";
    if (end == 0)
        return path.substr(0, 1);
#ifdef _WIN32
    if (end == 2 && path[1] == ':')
        return path.substr(0, 3); // "C:\"
#endif
    return path.substr(0, end);
}
