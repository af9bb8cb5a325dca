// POSIX serial device: a tty or the pseudo-terminal end that socat offers.
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

#include "tools/skyloom_sim/sim_platform.h"

namespace sim {
namespace {

speed_t SpeedOf(long baud) {
    switch (baud) {
        case 1200:
            return B1200;
        case 2400:
            return B2400;
        case 4800:
            return B4800;
        case 9600:
            return B9600;
        case 19200:
            return B19200;
        case 38400:
            return B38400;
        case 57600:
            return B57600;
        case 115200:
            return B115200;
        case 230400:
            return B230400;
        default:
            return B0;  // no termios constant (14400): the pacing still holds it
    }
}

class PosixSerial : public Device {
  public:
    explicit PosixSerial(int fd) : fd_(fd) {}
    ~PosixSerial() override { ::close(fd_); }
    PosixSerial(const PosixSerial&) = delete;
    PosixSerial& operator=(const PosixSerial&) = delete;

    long Write(const char* data, size_t size) override {
        const ssize_t n = ::write(fd_, data, size);
        if (n >= 0)
            return static_cast<long>(n);
        if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)
            return 0;
        error_ = errno;
        return -1;
    }

    // With VMIN and VTIME 0 a read of an empty tty returns 0; once the other
    // end of a pseudo-terminal is gone it fails with EIO.
    long Read(char* data, size_t size) override {
        const ssize_t n = ::read(fd_, data, size);
        if (n >= 0)
            return static_cast<long>(n);
        if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)
            return 0;
        error_ = errno;
        return -1;
    }

    std::string LastError() const override { return std::strerror(error_); }

  private:
    int fd_;
    int error_ = 0;
};

}  // namespace

std::unique_ptr<Device> OpenSerialDevice(const std::string& path, long baud, std::string* error) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        *error = path + ": " + std::strerror(errno);
        return nullptr;
    }
    auto device = std::make_unique<PosixSerial>(fd);
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0) {
        *error = path + ": not a terminal (" + std::strerror(errno) + ")";
        return nullptr;
    }
    ::cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cflag &= ~static_cast<tcflag_t>(CSTOPB | PARENB | CRTSCTS);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    const speed_t speed = SpeedOf(baud);
    if (speed != B0) {
        ::cfsetispeed(&tio, speed);
        ::cfsetospeed(&tio, speed);
    }
    if (::tcsetattr(fd, TCSANOW, &tio) != 0) {
        *error = path + ": can't set raw mode (" + std::strerror(errno) + ")";
        return nullptr;
    }
    return device;
}

}  // namespace sim
