#include "ini_file.h"

#include "number_text.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <unordered_set>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
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

int FlushToDisk(int fd) {
    return ::_commit(fd);
}

// The system's text for a Win32 error code, without its closing line break
// and full stop.
std::string SystemErrorText(DWORD code) {
    char text[512];
    DWORD length =
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                       MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), text, sizeof text, nullptr);
    while (length > 0 &&
           (static_cast<unsigned char>(text[length - 1]) <= 32 || text[length - 1] == '.'))
        --length;
    if (length == 0)
        return "Fehler " + std::to_string(code);
    return std::string(text, length);
}
#else
constexpr int OpenFlags = O_CLOEXEC;

int FlushToDisk(int fd) {
    return ::fsync(fd);
}
#endif

const char* const CannotOpen = "kann nicht ge\xC3\xB6"
                               "ffnet werden";
const char* const CannotRead = "kann nicht gelesen werden";
const char* const CannotWrite = "kann nicht geschrieben werden";

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
        const auto written = ::write(fd, data, left);
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

#ifdef _WIN32

// The target is the path itself: the settings file beside the program is
// not expected to be a link, and replacing one replaces the link.
std::string ResolveTarget(const std::string& path) {
    return path;
}

// Why the file must be left as it is ("" when it may be replaced); exists
// tells whether there is a file at all. The read-only attribute is what a
// user sets to keep the settings as they are.
std::string WriteRefusal(const std::string& target, bool& exists) {
    const DWORD attributes = GetFileAttributesA(target.c_str());
    exists = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    if (exists && (attributes & FILE_ATTRIBUTE_READONLY) != 0)
        return SystemErrorText(ERROR_ACCESS_DENIED);
    return std::string();
}

// A new file beside the target, for this writer alone; -1 with errno set
// when the folder takes none.
int CreateTemporary(const std::string& target, std::string& tempPath) {
    const std::string stem = target + "." + std::to_string(GetCurrentProcessId()) + "-";
    for (unsigned attempt = 0;; ++attempt) {
        tempPath = stem + std::to_string(attempt) + ".tmp";
        const int fd = ::_open(tempPath.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | OpenFlags,
                               _S_IREAD | _S_IWRITE);
        if (fd >= 0 || errno != EEXIST || attempt == 100)
            return fd;
    }
}

// Puts the complete temporary file in the target's place, replacing it in
// one step; the reason when that fails.
std::string ReplaceTarget(const std::string& tempPath, const std::string& target) {
    if (MoveFileExA(tempPath.c_str(), target.c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return std::string();
    return SystemErrorText(GetLastError());
}

#else

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

// The file a path names once symbolic links are followed, so that writing
// changes the file the link points at and the link stays a link. A link
// whose target does not exist yet names that target.
std::string ResolveTarget(std::string path) {
    for (int hop = 0; hop < 40; ++hop) {
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return path;
        std::string target(4096, '\0');
        const ssize_t n = ::readlink(path.c_str(), &target[0], target.size());
        if (n <= 0 || static_cast<std::size_t>(n) >= target.size())
            return path;
        target.resize(static_cast<std::size_t>(n));
        path = target[0] == '/' ? target : FolderOf(path) + "/" + target;
    }
    return path; // a loop of links: the write fails with the system's reason
}

std::string WriteRefusal(const std::string& target, bool& exists) {
    struct stat info {};
    exists = ::stat(target.c_str(), &info) == 0 && S_ISREG(info.st_mode);
    if (!exists)
        return std::string();
    // The mode bits count for root too, who may write anything.
    if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return std::strerror(EACCES);
    if (::access(target.c_str(), W_OK) != 0)
        return std::strerror(errno);
    return std::string();
}

// A new file beside the target with the target's permissions (see ModeFor);
// -1 with errno set when the folder takes none.
int CreateTemporary(const std::string& target, std::string& tempPath) {
    const mode_t mode = ModeFor(target);
    tempPath = target + ".XXXXXX";
    const int fd = ::mkostemp(&tempPath[0], O_CLOEXEC);
    if (fd < 0 || ::fchmod(fd, mode) == 0)
        return fd;
    const int error = errno;
    ::close(fd);
    ::unlink(tempPath.c_str());
    errno = error;
    return -1;
}

std::string ReplaceTarget(const std::string& tempPath, const std::string& target) {
    if (::rename(tempPath.c_str(), target.c_str()) != 0)
        return std::strerror(errno);
    // Make the rename itself survive a power cut. The new file is complete
    // either way, so a folder that cannot be flushed is no failure.
    TFd folder(::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.Get() >= 0)
        ::fsync(folder.Get());
    return std::string();
}

#endif

// Writes the file where it is: not safe against a crash half-way, so only
// for a writable file in a folder that takes no new file.
int WriteInPlace(const std::string& path, const std::string& text) {
    TFd fd(::open(path.c_str(), O_WRONLY | O_TRUNC | OpenFlags));
    if (fd.Get() < 0)
        return errno;
    int error = 0;
    if (!WriteAll(fd.Get(), text) || FlushToDisk(fd.Get()) != 0)
        error = errno;
    if (::close(fd.Release()) != 0 && error == 0)
        error = errno;
    return error;
}

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
    const std::string target = ResolveTarget(path);
    // A settings file the user marked read-only, or may not write, is left
    // as it is: a replacement would replace it all the same.
    bool exists = false;
    const std::string refusal = WriteRefusal(target, exists);
    if (!refusal.empty())
        throw std::runtime_error(Failure(CannotWrite, path, refusal));
    const std::string text = Text();
    std::string tempPath;
    TFd fd(CreateTemporary(target, tempPath));
    if (fd.Get() < 0) {
        const int error = errno;
        // A folder that takes no new file, but a file we may write: written
        // in place, since that is the only way left to store the settings.
        if (exists && (error == EACCES || error == EPERM)) {
            const int inPlace = WriteInPlace(target, text);
            if (inPlace != 0)
                throw std::runtime_error(Failure(CannotWrite, path, inPlace));
            return;
        }
        throw std::runtime_error(Failure(CannotWrite, path, error));
    }

    int error = 0;
    if (!WriteAll(fd.Get(), text) || FlushToDisk(fd.Get()) != 0)
        error = errno;
    // A failed close can be the first report of a failed write (network file
    // systems), so it counts like one.
    if (::close(fd.Release()) != 0 && error == 0)
        error = errno;
    const std::string reason =
        error != 0 ? std::string(std::strerror(error)) : ReplaceTarget(tempPath, target);
    if (!reason.empty()) {
        ::unlink(tempPath.c_str());
        throw std::runtime_error(Failure(CannotWrite, path, reason));
    }
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
