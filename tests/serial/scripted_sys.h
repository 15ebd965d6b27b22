// System calls that fail as a test says, and otherwise do the real thing.
#pragma once

#include "sys_calls.h"
#include "sys_calls_guard.h"

#include <cerrno>
#include <deque>
#include <map>
#include <string>
#include <vector>

class TScriptedSys : public TSysCalls {
public:
    // For each call name, the errno values its next calls fail with, in
    // order; once they are used up the call does the real thing.
    std::map<std::string, std::deque<int>> Failures;
    // Every call made, by name, in order.
    std::vector<std::string> Calls;
    // The next reads that report end of file.
    int EndOfFileReads = 0;
    // When set, the system's message text for every error code.
    std::string MessageText;
    // The flags of every open, in order.
    std::vector<int> OpenFlags;

    int Open(const char* path, int flags) override {
        OpenFlags.push_back(flags);
        return Fails("Open") ? -1 : TSysCalls::Open(path, flags);
    }
    int Close(int fd) override { return Fails("Close") ? -1 : TSysCalls::Close(fd); }
    ssize_t Read(int fd, void* buffer, std::size_t count) override {
        if (Fails("Read"))
            return -1;
        if (EndOfFileReads > 0) {
            --EndOfFileReads;
            return 0;
        }
        return TSysCalls::Read(fd, buffer, count);
    }
    int Isatty(int fd) override { return Fails("Isatty") ? 0 : TSysCalls::Isatty(fd); }
    int SetExclusive(int fd, bool exclusive) override {
        return Fails(exclusive ? "SetExclusive" : "ClearExclusive")
                   ? -1
                   : TSysCalls::SetExclusive(fd, exclusive);
    }
    int GetExclusive(int fd, int* exclusive) override {
        return Fails("GetExclusive") ? -1 : TSysCalls::GetExclusive(fd, exclusive);
    }
    int BytesWaiting(int fd, int* count) override {
        return Fails("BytesWaiting") ? -1 : TSysCalls::BytesWaiting(fd, count);
    }
    int Flock(int fd, int operation) override {
        return Fails("Flock") ? -1 : TSysCalls::Flock(fd, operation);
    }
    int GetFlags(int fd) override { return Fails("GetFlags") ? -1 : TSysCalls::GetFlags(fd); }
    int SetFlags(int fd, int flags) override {
        return Fails("SetFlags") ? -1 : TSysCalls::SetFlags(fd, flags);
    }
    int Tcgetattr(int fd, termios* t) override {
        return Fails("Tcgetattr") ? -1 : TSysCalls::Tcgetattr(fd, t);
    }
    int Tcsetattr(int fd, int actions, const termios* t) override {
        return Fails("Tcsetattr") ? -1 : TSysCalls::Tcsetattr(fd, actions, t);
    }
    std::string ErrorText(int code) override {
        return MessageText.empty() ? TSysCalls::ErrorText(code) : MessageText;
    }

    int CountOf(const std::string& name) const {
        int n = 0;
        for (const std::string& c : Calls)
            n += c == name;
        return n;
    }

private:
    bool Fails(const char* name) {
        Calls.push_back(name);
        std::deque<int>& queue = Failures[name];
        if (queue.empty())
            return false;
        errno = queue.front();
        queue.pop_front();
        return true;
    }
};
