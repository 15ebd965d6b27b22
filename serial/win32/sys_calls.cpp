#include "sys_calls.h"

#include "calls_slot.h"

HANDLE TSysCalls::CreateFileA(LPCSTR name, DWORD access, DWORD shareMode,
                              LPSECURITY_ATTRIBUTES security, DWORD disposition,
                              DWORD flagsAndAttributes, HANDLE templateFile) {
    return ::CreateFileA(name, access, shareMode, security, disposition, flagsAndAttributes,
                         templateFile);
}

BOOL TSysCalls::GetCommState(HANDLE handle, DCB* dcb) {
    return ::GetCommState(handle, dcb);
}

BOOL TSysCalls::SetCommState(HANDLE handle, DCB* dcb) {
    return ::SetCommState(handle, dcb);
}

BOOL TSysCalls::SetCommTimeouts(HANDLE handle, COMMTIMEOUTS* timeouts) {
    return ::SetCommTimeouts(handle, timeouts);
}

BOOL TSysCalls::ReadFile(HANDLE handle, LPVOID buffer, DWORD count, LPDWORD bytesRead,
                         LPOVERLAPPED overlapped) {
    return ::ReadFile(handle, buffer, count, bytesRead, overlapped);
}

BOOL TSysCalls::ClearCommError(HANDLE handle, LPDWORD errors, LPCOMSTAT stat) {
    return ::ClearCommError(handle, errors, stat);
}

DWORD TSysCalls::GetLastError() {
    return ::GetLastError();
}

void TSysCalls::SetLastError(DWORD code) {
    ::SetLastError(code);
}

DWORD TSysCalls::FormatMessageW(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId,
                                LPWSTR buffer, DWORD size, va_list* arguments) {
    return ::FormatMessageW(flags, source, messageId, languageId, buffer, size, arguments);
}

int TSysCalls::MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    return ::MessageBoxA(owner, text, caption, type);
}

TSysCalls& Sys() {
    return TCallsSlot<TSysCalls>::Current();
}

TSysCalls* SetSysCalls(TSysCalls* calls) {
    return TCallsSlot<TSysCalls>::Install(calls);
}
