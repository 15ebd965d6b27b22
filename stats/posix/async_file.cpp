// POSIX asynchronous I/O: aio_write hands the bytes to the C library, which
// writes them while the caller goes on; aio_error tells when it is done.
#include "async_file.h"

#include <aio.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

class TPosixAsyncFile : public TAsyncFile {
public:
    explicit TPosixAsyncFile(int fd) : Fd(fd) {}
    ~TPosixAsyncFile() override {
        if (InFlight) {
            const aiocb* list[] = {Request.get()};
            while (aio_error(Request.get()) == EINPROGRESS)
                aio_suspend(list, 1, nullptr);
            aio_return(Request.get());
        }
        close(Fd);
    }

    bool BeginWrite(const uint8_t* data, std::size_t count, std::string& reason) override {
        *Request = aiocb{};
        Request->aio_fildes = Fd;
        Request->aio_offset = Offset;
        Request->aio_buf = const_cast<uint8_t*>(data);
        Request->aio_nbytes = count;
        Request->aio_sigevent.sigev_notify = SIGEV_NONE;
        if (aio_write(Request.get()) != 0) {
            reason = std::strerror(errno);
            return false;
        }
        InFlight = true;
        return true;
    }

    TState Poll(std::size_t& written, std::string& reason) override {
        const int error = aio_error(Request.get());
        if (error == EINPROGRESS)
            return TState::Busy;
        InFlight = false;
        const ssize_t n = aio_return(Request.get());
        if (error != 0 || n < 0) {
            reason = std::strerror(error != 0 ? error : EIO);
            return TState::Failed;
        }
        written = static_cast<std::size_t>(n);
        Offset += n;
        return TState::Done;
    }

private:
    int Fd;
    off_t Offset = 0;
    // On the heap: glibc's aiocb ends in a zero-length array, which a
    // member may not hold in standard C++.
    std::unique_ptr<aiocb> Request = std::make_unique<aiocb>();
    bool InFlight = false;
};

} // namespace

std::unique_ptr<TAsyncFile> CreateAsyncFile(const std::string& path, std::string& reason) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        reason = std::strerror(errno);
        return nullptr;
    }
    return std::make_unique<TPosixAsyncFile>(fd);
}
