// Win32 calls that fail as a test says and record what they were given;
// otherwise they do the real thing.
#pragma once

#include "sys_calls.h"
#include "sys_calls_guard.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <deque>
#include <map>
#include <string>
#include <vector>

class TScriptedCalls : public TSysCalls {
public:
    // For each call name, the error codes its next calls fail with, in
    // order; once they are used up the call does the real thing.
    std::map<std::string, std::deque<DWORD>> Failures;
    // Every call made, by name, in order.
    std::vector<std::string> Calls;
    // When set, FormatMessageW gives this text for every code.
    std::wstring MessageText;
    // When set, GetCommState reports this record instead of asking the port.
    bool HasReportedDcb = false;
    DCB ReportedDcb{};
    // When set, ClearCommError succeeds and reports this many waiting bytes.
    bool HasReportedQueue = false;
    DWORD ReportedQueue = 0;

    // What the calls were given.
    std::string OpenedName;
    DWORD OpenAccess = 0, OpenShareMode = 0xFFFFFFFF, OpenDisposition = 0, OpenFlags = 0xFFFFFFFF;
    const void* OpenSecurity = &Calls;
    HANDLE OpenTemplate = INVALID_HANDLE_VALUE;
    DCB WrittenDcb{};
    COMMTIMEOUTS WrittenTimeouts{};
    DWORD FormatFlags = 0, FormatLanguage = 0xFFFFFFFF, FormatCode = 0;
    HWND BoxOwner = reinterpret_cast<HWND>(1);
    std::string BoxText, BoxCaption;
    UINT BoxType = 0;
    // The counts ReadFile was asked for.
    std::vector<DWORD> ReadCounts;

    HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES security,
                       DWORD disposition, DWORD flagsAndAttributes, HANDLE templateFile) override {
        OpenedName = name;
        OpenAccess = access;
        OpenShareMode = shareMode;
        OpenSecurity = security;
        OpenDisposition = disposition;
        OpenFlags = flagsAndAttributes;
        OpenTemplate = templateFile;
        if (Fails("CreateFileA"))
            return INVALID_HANDLE_VALUE;
        return TSysCalls::CreateFileA(name, access, shareMode, security, disposition,
                                      flagsAndAttributes, templateFile);
    }
    BOOL GetCommState(HANDLE handle, DCB* dcb) override {
        if (Fails("GetCommState")) {
            // A failed call may leave anything in the record.
            std::memset(dcb, 0x5A, sizeof *dcb);
            return FALSE;
        }
        if (HasReportedDcb) {
            *dcb = ReportedDcb;
            return TRUE;
        }
        return TSysCalls::GetCommState(handle, dcb);
    }
    BOOL SetCommState(HANDLE handle, DCB* dcb) override {
        WrittenDcb = *dcb;
        return Fails("SetCommState") ? FALSE : TSysCalls::SetCommState(handle, dcb);
    }
    BOOL SetCommTimeouts(HANDLE handle, COMMTIMEOUTS* timeouts) override {
        WrittenTimeouts = *timeouts;
        return Fails("SetCommTimeouts") ? FALSE : TSysCalls::SetCommTimeouts(handle, timeouts);
    }
    BOOL ReadFile(HANDLE handle, LPVOID buffer, DWORD count, LPDWORD bytesRead,
                  LPOVERLAPPED overlapped) override {
        ReadCounts.push_back(count);
        if (Fails("ReadFile")) {
            *bytesRead = 0;
            return FALSE;
        }
        return TSysCalls::ReadFile(handle, buffer, count, bytesRead, overlapped);
    }
    BOOL ClearCommError(HANDLE handle, LPDWORD errors, LPCOMSTAT stat) override {
        if (Fails("ClearCommError"))
            return FALSE;
        if (HasReportedQueue) {
            *errors = 0;
            *stat = COMSTAT{};
            stat->cbInQue = ReportedQueue;
            return TRUE;
        }
        return TSysCalls::ClearCommError(handle, errors, stat);
    }
    DWORD GetLastError() override {
        Calls.push_back("GetLastError");
        return TSysCalls::GetLastError();
    }
    void SetLastError(DWORD code) override {
        Calls.push_back("SetLastError");
        TSysCalls::SetLastError(code);
    }
    DWORD FormatMessageW(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId,
                         LPWSTR buffer, DWORD size, va_list* arguments) override {
        FormatFlags = flags;
        FormatLanguage = languageId;
        FormatCode = messageId;
        if (Fails("FormatMessageW"))
            return 0;
        if (!MessageText.empty()) {
            const std::size_t n = std::min<std::size_t>(MessageText.size(), size - 1);
            std::wmemcpy(buffer, MessageText.data(), n);
            buffer[n] = L'\0';
            return static_cast<DWORD>(n);
        }
        return TSysCalls::FormatMessageW(flags, source, messageId, languageId, buffer, size,
                                         arguments);
    }
    int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) override {
        Calls.push_back("MessageBoxA");
        BoxOwner = owner;
        BoxText = text;
        BoxCaption = caption;
        BoxType = type;
        return IDOK;
    }

private:
    // A scripted failure leaves its code where a real one would.
    bool Fails(const char* name) {
        Calls.push_back(name);
        auto found = Failures.find(name);
        if (found == Failures.end() || found->second.empty())
            return false;
        ::SetLastError(found->second.front());
        found->second.pop_front();
        return true;
    }
};
