// Runs a program with arguments (no shell), standard input from a file or
// /dev/null, and returns its exit status and what it printed.
#pragma once

#include <string>
#include <vector>

struct TProgramResult {
    int ExitCode = -1;
    std::string Out;
    std::string Err;
};

// extraEnv entries ("NAME=value") are added to this process's environment.
TProgramResult RunProgram(const std::vector<std::string>& argv, const std::string& stdinPath = "",
                          const std::vector<std::string>& extraEnv = {});

// This process's environment plus extra entries ("NAME=value"), and the
// pointer array posix_spawn takes (valid while the strings live).
struct TEnvironment {
    explicit TEnvironment(const std::vector<std::string>& extra);
    std::vector<std::string> Text;
    std::vector<char*> Pointers;
};

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& data);
// A fresh file name in the test's temporary folder.
std::string TempPath(const std::string& name);
