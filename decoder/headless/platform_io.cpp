#include "platform_io.h"

#include <csignal>
#include <cstdio>
#include <fcntl.h>

#ifdef _WIN32
#include <io.h>
#include <sys/stat.h>

int OpenForReading(const std::string& path) {
    return _open(path.c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
}

int CreateForWriting(const std::string& path) {
    return _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY | _O_NOINHERIT,
                 _S_IREAD | _S_IWRITE);
}

void UseBinaryStdio() {
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
}

void IgnoreBrokenPipe() {}

#else

int OpenForReading(const std::string& path) {
    return open(path.c_str(), O_RDONLY | O_CLOEXEC);
}

int CreateForWriting(const std::string& path) {
    return open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
}

void UseBinaryStdio() {}

void IgnoreBrokenPipe() {
    std::signal(SIGPIPE, SIG_IGN);
}

#endif
