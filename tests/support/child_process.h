// Programs a test runs beside itself: a simulator, an X server, the monitor.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

struct TChild {
    pid_t Pid = -1;
    int Stdout = -1; // read end of the child's standard output, or -1
};

// Starts args[0] (a path) with the given extra environment entries
// ("NAME=value"). With captureStdout the child's standard output is a pipe
// the caller reads; otherwise it goes to /dev/null, as does its standard
// error unless keepStderr.
TChild Spawn(const std::vector<std::string>& args, const std::vector<std::string>& env = {},
             bool captureStdout = false, bool keepStderr = true);

// The child's exit status, waiting at most the given time; -1 when it was
// ended by a signal or did not end in time (then it is killed).
int WaitExit(pid_t pid, int seconds = 60);

// Asks the child to end (SIGTERM), then kills it if it does not.
void Stop(TChild& child);

// One line from fd without its line end; empty when nothing came within the
// time given.
std::string ReadLine(int fd, int timeoutMs = 20000);
