// A pseudo-terminal pair: the slave is a serial port to the code under test,
// the master the device at the other end of the line.
#pragma once

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

class TPtyPair {
public:
    TPtyPair() {
        Master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (Master < 0 || grantpt(Master) != 0 || unlockpt(Master) != 0)
            throw std::runtime_error("no pseudo-terminal");
        const char* name = ptsname(Master);
        if (!name)
            throw std::runtime_error("no slave name");
        SlavePath = name;
    }
    ~TPtyPair() { CloseMaster(); }
    TPtyPair(const TPtyPair&) = delete;
    TPtyPair& operator=(const TPtyPair&) = delete;

    // The device sends; all of it, or the test fails.
    bool Send(const std::vector<uint8_t>& bytes) const {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t w = write(Master, bytes.data() + done, bytes.size() - done);
            if (w < 0 && errno == EINTR)
                continue;
            if (w <= 0)
                return false;
            done += static_cast<std::size_t>(w);
        }
        return true;
    }

    void CloseMaster() {
        if (Master >= 0)
            close(Master);
        Master = -1;
    }

    int Master = -1;
    std::string SlavePath;
};

// Waits (up to a generous bound, so a busy machine does not fail the test)
// until fd has something to read.
inline bool WaitReadable(int fd, int timeoutMs = 20000) {
    pollfd p{fd, POLLIN, 0};
    return poll(&p, 1, timeoutMs) > 0;
}
