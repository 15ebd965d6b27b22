#include "run_program.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

TEnvironment::TEnvironment(const std::vector<std::string>& extra) {
    // An extra entry replaces the inherited one of its name: a program finds
    // the first of two, which would be the inherited one.
    const auto nameOf = [](const std::string& entry) { return entry.substr(0, entry.find('=')); };
    for (char** e = environ; *e; ++e) {
        const std::string name = nameOf(*e);
        const bool replaced = std::any_of(extra.begin(), extra.end(),
                                          [&](const std::string& x) { return nameOf(x) == name; });
        if (!replaced)
            Text.push_back(*e);
    }
    Text.insert(Text.end(), extra.begin(), extra.end());
    for (std::string& e : Text)
        Pointers.push_back(&e[0]);
    Pointers.push_back(nullptr);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteFile(const std::string& path, const std::string& data) {
    std::ofstream out(path, std::ios::binary);
    out << data;
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

std::string TempPath(const std::string& name) {
    static const std::string dir = [] {
        char pattern[] = "/tmp/fennox-test-XXXXXX";
        const char* made = mkdtemp(pattern);
        if (!made)
            throw std::runtime_error("mkdtemp failed");
        return std::string(made);
    }();
    return dir + "/" + name;
}

TProgramResult RunProgram(const std::vector<std::string>& argv, const std::string& stdinPath,
                          const std::vector<std::string>& extraEnv) {
    static int serial = 0;
    const std::string outPath = TempPath("out" + std::to_string(++serial));
    const std::string errPath = outPath + ".err";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(
        &actions, 0, stdinPath.empty() ? "/dev/null" : stdinPath.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    TEnvironment env(extraEnv);
    pid_t pid;
    TProgramResult result;
    if (posix_spawn(&pid, args[0], &actions, nullptr, args.data(), env.Pointers.data()) == 0) {
        int status = 0;
        waitpid(pid, &status, 0);
        result.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    posix_spawn_file_actions_destroy(&actions);
    result.Out = ReadFile(outPath);
    result.Err = ReadFile(errPath);
    std::remove(outPath.c_str());
    std::remove(errPath.c_str());
    return result;
}
