#include "ini_file.h"

#include "number_text.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

std::string Failure(const char* what, const std::string& path, int error) {
    return std::string(what) + " \"" + path + "\": " + std::strerror(error);
}

// Closes a descriptor on every way out; the error of an explicit close is the
// caller's to check.
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
    int Release() {
        const int fd = Fd;
        Fd = -1;
        return fd;
    }

private:
    int Fd;
};

bool WriteAll(int fd, const std::string& text) {
    const char* data = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, left);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    return true;
}

// A new settings file gets the permissions any new file of the user gets; a
// replaced one keeps its own, so a rename does not quietly change them.
mode_t ModeFor(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode))
        return info.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

} // namespace

TIniFile TIniFile::Load(const std::string& path) {
    TFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.Get() < 0) {
        if (errno == ENOENT)
            return TIniFile();
        throw std::runtime_error(Failure("Cannot open", path, errno));
    }
    std::string text;
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(fd.Get(), buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            throw std::runtime_error(Failure("Cannot read", path, errno));
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
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            const std::string name = TrimBlanks(line.substr(1, line.size() - 2));
            current = ini.FindSection(name);
            if (current == nullptr) {
                ini.Sections.push_back(TSection{name, {}});
                current = &ini.Sections.back();
            }
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
    for (const TEntry& entry : found->Entries) {
        bool seen = false;
        for (const TEntry& earlier : entries) {
            if (SameName(earlier.Key, entry.Key)) {
                seen = true;
                break;
            }
        }
        if (!seen)
            entries.push_back(entry);
    }
    return entries;
}

void TIniFile::WriteInteger(const std::string& section, const std::string& key, int32_t value) {
    TSection* found = FindSection(section);
    if (found == nullptr) {
        Sections.push_back(TSection{section, {}});
        found = &Sections.back();
    }
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
    const mode_t mode = ModeFor(path);
    std::string tempPath = path + ".XXXXXX";
    TFd fd(::mkostemp(&tempPath[0], O_CLOEXEC));
    if (fd.Get() < 0)
        throw std::runtime_error(Failure("Cannot write", path, errno));

    int error = 0;
    if (::fchmod(fd.Get(), mode) != 0 || !WriteAll(fd.Get(), Text()) || ::fsync(fd.Get()) != 0)
        error = errno;
    // A failed close can be the first report of a failed write (network file
    // systems), so it counts like one.
    if (::close(fd.Release()) != 0 && error == 0)
        error = errno;
    if (error == 0 && ::rename(tempPath.c_str(), path.c_str()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(tempPath.c_str());
        throw std::runtime_error(Failure("Cannot write", path, error));
    }

    // Make the rename itself survive a power cut. The new file is complete
    // either way, so a folder that cannot be flushed is no failure.
    TFd folder(::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.Get() >= 0)
        ::fsync(folder.Get());
}

const TIniFile::TSection* TIniFile::FindSection(const std::string& name) const {
    for (const TSection& section : Sections) {
        if (SameName(section.Name, name))
            return &section;
    }
    return nullptr;
}

TIniFile::TSection* TIniFile::FindSection(const std::string& name) {
    for (TSection& section : Sections) {
        if (SameName(section.Name, name))
            return &section;
    }
    return nullptr;
}

std::string SettingsFileName(const std::string& programPath) {
    const std::size_t slash = programPath.rfind('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    if (programPath.find('.', nameStart) == std::string::npos)
        return programPath + ".ini";
    const std::size_t keep = programPath.size() >= 3 ? programPath.size() - 3 : 0;
    return programPath.substr(0, keep) + "ini";
}
