// A server on a free loopback port that accepts connections (the kernel
// completes them from the listen queue) and never answers: what a hung
// application server looks like. The tour photographs a long call with it;
// tests use it for calls that must be abandoned. No Qt in it.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace zrmqt {

class SilentServer {
public:
    SilentServer() {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = 0;
        socklen_t length = sizeof address;
        if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(fd_, 8) != 0 ||
            ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            return;
        }
        port_ = ntohs(address.sin_port);
    }
    ~SilentServer() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    SilentServer(const SilentServer&) = delete;
    SilentServer& operator=(const SilentServer&) = delete;

    int Port() const { return port_; }  // 0 when it could not listen

private:
    int fd_ = -1;
    int port_ = 0;
};

}  // namespace zrmqt
