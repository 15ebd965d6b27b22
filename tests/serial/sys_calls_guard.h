// Installs other system calls (scripted ones) for the life of a test; both
// platforms' seams have the same two functions.
#pragma once

#include "sys_calls.h"

// Installs scripted calls for the life of a test.
class TSysCallsGuard {
public:
    explicit TSysCallsGuard(TSysCalls& calls) : Previous(SetSysCalls(&calls)) {}
    ~TSysCallsGuard() { SetSysCalls(Previous); }
    TSysCallsGuard(const TSysCallsGuard&) = delete;
    TSysCallsGuard& operator=(const TSysCallsGuard&) = delete;

private:
    TSysCalls* Previous;
};
