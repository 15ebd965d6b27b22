#include "atomic_file.h"

#include "ini_file.h"

#include <cerrno>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// Our own reason for a file we leave alone before the system is asked: the
// word Windows' file properties use for the read-only attribute.
const char* const ReadOnlyReason = "schreibgesch\xC3\xBCtzt";

#ifdef _WIN32

using TNative = HANDLE;
const TNative NoFile = INVALID_HANDLE_VALUE;

// The system's text for a Win32 error code in UTF-8, as every text of the
// window is, without its closing line break and full stop; "Fehler <code>"
// when the system has none.
std::string SystemErrorText(DWORD code) {
    wchar_t wide[512];
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                        wide, sizeof wide / sizeof wide[0], nullptr);
    int end = static_cast<int>(length);
    while (end > 0 && (wide[end - 1] <= 32 || wide[end - 1] == L'.'))
        --end;
    if (end == 0)
        return "Fehler " + std::to_string(code);
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide, end, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    if (size > 0)
        WideCharToMultiByte(CP_UTF8, 0, wide, end, &text[0], size, nullptr, nullptr);
    return text;
}

std::string LastErrorText() {
    return SystemErrorText(GetLastError());
}

bool AccessWasDenied() {
    return GetLastError() == ERROR_ACCESS_DENIED;
}

#else

using TNative = int;
const TNative NoFile = -1;

std::string LastErrorText() {
    return std::strerror(errno);
}

bool AccessWasDenied() {
    return errno == EACCES || errno == EPERM;
}

#endif

// A file open for writing, piece by piece. Keeps the reason of the first
// failure; every call after it fails too, so a content that goes on after a
// refused piece cannot leave a file with a gap.
class TOutFile {
public:
    TOutFile() = default;
    TOutFile(const TOutFile&) = delete;
    TOutFile& operator=(const TOutFile&) = delete;
    ~TOutFile() { Close(); }

    // Takes an opened file, or the reason it could not be opened.
    bool Take(TNative native) {
        Native = native;
        if (native == NoFile) {
            AccessDenied = AccessWasDenied();
            Reason = LastErrorText();
        }
        return native != NoFile;
    }

    bool Write(const char* data, std::size_t size);

    // Flushes the file to the disk and closes it; false when that, or any
    // write before it, failed.
    bool Finish();

    void Close();

    std::string Reason;
    // The open failed for want of access (to a folder: it takes no new file).
    bool AccessDenied = false;

private:
    bool Fail() {
        if (Reason.empty())
            Reason = LastErrorText();
        return false;
    }

    TNative Native = NoFile;
};

#ifdef _WIN32

bool TOutFile::Write(const char* data, std::size_t size) {
    if (!Reason.empty())
        return false;
    while (size > 0) {
        const DWORD piece = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!WriteFile(Native, data, piece, &written, nullptr))
            return Fail();
        data += written;
        size -= written;
    }
    return true;
}

bool TOutFile::Finish() {
    if (Reason.empty() && !FlushFileBuffers(Native))
        Fail();
    // A failed close can be the first report of a failed write (network
    // shares), so it counts like one.
    if (!CloseHandle(Native))
        Fail();
    Native = NoFile;
    return Reason.empty();
}

void TOutFile::Close() {
    if (Native != NoFile)
        CloseHandle(Native);
    Native = NoFile;
}

// The target is the path itself: Windows users rarely meet links, and
// replacing one replaces the link.
std::string ResolveTarget(const std::string& path) {
    return path;
}

// Why the file must be left as it is ("" when it may be replaced); exists
// tells whether there is a file at all. The read-only attribute is what a
// user sets to keep a file as it is.
std::string WriteRefusal(const std::string& target, bool& exists) {
    const DWORD attributes = GetFileAttributesA(target.c_str());
    exists = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    if (exists && (attributes & FILE_ATTRIBUTE_READONLY) != 0)
        return ReadOnlyReason;
    return std::string();
}

// A new file beside the target, for this writer alone, not inherited by
// programs this one starts.
bool CreateTemporary(const std::string& target, std::string& tempPath, TOutFile& file) {
    const std::string stem = target + "." + std::to_string(GetCurrentProcessId()) + "-";
    for (unsigned attempt = 0;; ++attempt) {
        tempPath = stem + std::to_string(attempt) + ".tmp";
        const HANDLE h = CreateFileA(tempPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS || attempt == 100)
            return file.Take(h);
    }
}

bool OpenInPlace(const std::string& target, TOutFile& file) {
    return file.Take(CreateFileA(target.c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
}

// Puts the complete temporary file in the target's place, replacing an
// existing file in one step (the C runtime's rename refuses to replace one);
// the reason when that fails.
std::string ReplaceTarget(const std::string& tempPath, const std::string& target) {
    if (MoveFileExA(tempPath.c_str(), target.c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return std::string();
    return LastErrorText();
}

void RemoveFile(const std::string& path) {
    DeleteFileA(path.c_str());
}

#else

bool TOutFile::Write(const char* data, std::size_t size) {
    if (!Reason.empty())
        return false;
    while (size > 0) {
        const ssize_t written = ::write(Native, data, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return Fail();
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

bool TOutFile::Finish() {
    if (Reason.empty() && ::fsync(Native) != 0)
        Fail();
    // A failed close can be the first report of a failed write (network file
    // systems), so it counts like one.
    if (::close(Native) != 0)
        Fail();
    Native = NoFile;
    return Reason.empty();
}

void TOutFile::Close() {
    if (Native != NoFile)
        ::close(Native);
    Native = NoFile;
}

// A new file gets the permissions any new file of the user gets; a replaced
// one keeps its own, so a rename does not quietly change them.
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
        return ReadOnlyReason;
    if (::access(target.c_str(), W_OK) != 0)
        return std::strerror(errno);
    return std::string();
}

// A new file beside the target with the target's permissions (see ModeFor).
bool CreateTemporary(const std::string& target, std::string& tempPath, TOutFile& file) {
    const mode_t mode = ModeFor(target);
    tempPath = target + ".XXXXXX";
    const int fd = ::mkostemp(&tempPath[0], O_CLOEXEC);
    if (fd < 0 || ::fchmod(fd, mode) == 0)
        return file.Take(fd);
    const int error = errno;
    ::close(fd);
    ::unlink(tempPath.c_str());
    errno = error;
    return file.Take(-1);
}

bool OpenInPlace(const std::string& target, TOutFile& file) {
    return file.Take(::open(target.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC));
}

std::string ReplaceTarget(const std::string& tempPath, const std::string& target) {
    if (::rename(tempPath.c_str(), target.c_str()) != 0)
        return std::strerror(errno);
    // Make the rename itself survive a power cut. The new file is complete
    // either way, so a folder that cannot be flushed is no failure.
    const int folder = ::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return std::string();
}

void RemoveFile(const std::string& path) {
    ::unlink(path.c_str());
}

#endif

} // namespace

std::string WriteFileWhole(const std::string& path, const TContentWriter& content) {
    const std::string target = ResolveTarget(path);
    bool exists = false;
    const std::string refusal = WriteRefusal(target, exists);
    if (!refusal.empty())
        return refusal;

    TOutFile file;
    std::string tempPath;
    if (!CreateTemporary(target, tempPath, file)) {
        // A folder that takes no new file, but a file we may write: written
        // in place, since that is the only way left to write it.
        if (!exists || !file.AccessDenied)
            return file.Reason;
        tempPath.clear();
        file.Reason.clear();
        if (!OpenInPlace(target, file))
            return file.Reason;
    }

    try {
        content([&file](const char* data, std::size_t size) { return file.Write(data, size); });
    } catch (...) {
        file.Close();
        if (!tempPath.empty())
            RemoveFile(tempPath);
        throw;
    }
    std::string reason;
    if (!file.Finish())
        reason = file.Reason;
    else if (!tempPath.empty())
        reason = ReplaceTarget(tempPath, target);
    if (!reason.empty() && !tempPath.empty())
        RemoveFile(tempPath);
    return reason;
}
