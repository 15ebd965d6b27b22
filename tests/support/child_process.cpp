#include "child_process.h"

#include "run_program.h"

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

TChild Spawn(const std::vector<std::string>& args, const std::vector<std::string>& env,
             bool captureStdout, bool keepStderr) {
    int fds[2] = {-1, -1};
    if (captureStdout && pipe2(fds, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (captureStdout)
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    else
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    if (!keepStderr)
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);

    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    TEnvironment environment(env);
    TChild child;
    const int rc = posix_spawnp(&child.Pid, argv[0], &actions, nullptr, argv.data(),
                                environment.Pointers.data());
    posix_spawn_file_actions_destroy(&actions);
    if (captureStdout)
        close(fds[1]);
    if (rc != 0) {
        if (captureStdout)
            close(fds[0]);
        throw std::runtime_error("cannot start " + args[0]);
    }
    child.Stdout = fds[0];
    return child;
}

int WaitExit(pid_t pid, int seconds) {
    for (int i = 0; i < seconds * 100; ++i) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid)
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        usleep(10000);
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return -1;
}

void Stop(TChild& child) {
    if (child.Pid > 0) {
        kill(child.Pid, SIGTERM);
        WaitExit(child.Pid, 10);
        child.Pid = -1;
    }
    if (child.Stdout >= 0) {
        close(child.Stdout);
        child.Stdout = -1;
    }
}

std::string ReadLine(int fd, int timeoutMs) {
    std::string line;
    char c;
    pollfd p{fd, POLLIN, 0};
    while (poll(&p, 1, timeoutMs) > 0 && read(fd, &c, 1) == 1 && c != '\n')
        line += c;
    return line;
}
