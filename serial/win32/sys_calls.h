// The Win32 calls of the serial layer, all behind one seam so that tests can
// make any of them fail (a port that will not take its settings, a read that
// fails, a message text the system does not have) where a real or emulated
// port would not. Each one has the system call's name and parameters.
#pragma once

#include <windows.h>

class TSysCalls {
public:
    virtual ~TSysCalls() = default;

    virtual HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD shareMode,
                               LPSECURITY_ATTRIBUTES security, DWORD disposition,
                               DWORD flagsAndAttributes, HANDLE templateFile);
    virtual BOOL GetCommState(HANDLE handle, DCB* dcb);
    virtual BOOL SetCommState(HANDLE handle, DCB* dcb);
    virtual BOOL SetCommTimeouts(HANDLE handle, COMMTIMEOUTS* timeouts);
    virtual BOOL ReadFile(HANDLE handle, LPVOID buffer, DWORD count, LPDWORD bytesRead,
                          LPOVERLAPPED overlapped);
    virtual BOOL ClearCommError(HANDLE handle, LPDWORD errors, LPCOMSTAT stat);
    virtual DWORD GetLastError();
    virtual void SetLastError(DWORD code);
    virtual DWORD FormatMessageW(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId,
                                 LPWSTR buffer, DWORD size, va_list* arguments);
    virtual int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
};

// The calls in use: the real ones unless a test has installed others.
TSysCalls& Sys();

// Installs calls (nullptr: the real ones again) and returns the previous ones.
TSysCalls* SetSysCalls(TSysCalls* calls);
