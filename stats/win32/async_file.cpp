// Overlapped WriteFile: the system takes the bytes and the call returns;
// GetOverlappedResult without waiting tells when the write is done.
#include "async_file.h"

#include <windows.h>

namespace {

std::string SystemText(DWORD code) {
    char text[512] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                   text, sizeof text, nullptr);
    std::string s = text;
    while (!s.empty() &&
           (s.back() == '\r' || s.back() == '\n' || s.back() == ' ' || s.back() == '.'))
        s.pop_back();
    return s.empty() ? "Fehler " + std::to_string(code) : s;
}

class TWin32AsyncFile : public TAsyncFile {
public:
    explicit TWin32AsyncFile(HANDLE file) : File(file) {
        Event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    }
    ~TWin32AsyncFile() override {
        if (InFlight) {
            DWORD n = 0;
            GetOverlappedResult(File, &Request, &n, TRUE);
        }
        CloseHandle(File);
        CloseHandle(Event);
    }

    bool BeginWrite(const uint8_t* data, std::size_t count, std::string& reason) override {
        Request = OVERLAPPED{};
        Request.Offset = static_cast<DWORD>(Offset & 0xFFFFFFFFu);
        Request.OffsetHigh = static_cast<DWORD>(Offset >> 32);
        Request.hEvent = Event;
        const DWORD n = count > 0x10000000u ? 0x10000000u : static_cast<DWORD>(count);
        if (!WriteFile(File, data, n, nullptr, &Request) && GetLastError() != ERROR_IO_PENDING) {
            reason = SystemText(GetLastError());
            return false;
        }
        InFlight = true;
        return true;
    }

    TState Poll(std::size_t& written, std::string& reason) override {
        DWORD n = 0;
        if (!GetOverlappedResult(File, &Request, &n, FALSE)) {
            const DWORD error = GetLastError();
            if (error == ERROR_IO_INCOMPLETE)
                return TState::Busy;
            InFlight = false;
            reason = SystemText(error);
            return TState::Failed;
        }
        InFlight = false;
        written = n;
        Offset += n;
        return TState::Done;
    }

private:
    HANDLE File;
    HANDLE Event = nullptr;
    uint64_t Offset = 0;
    OVERLAPPED Request{};
    bool InFlight = false;
};

} // namespace

std::unique_ptr<TAsyncFile> CreateAsyncFile(const std::string& path, std::string& reason) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        reason = SystemText(GetLastError());
        return nullptr;
    }
    return std::make_unique<TWin32AsyncFile>(file);
}
