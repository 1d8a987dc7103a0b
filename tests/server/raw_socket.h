// A bare TCP client on loopback for tests that must send what an HTTP
// client library would not: partial headers, byte by byte, nothing at all.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <string_view>

namespace testsrv {

class RawSocket {
public:
    explicit RawSocket(int port) : fd_(::socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        connected_ = fd_ >= 0 && ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    ~RawSocket() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    RawSocket(const RawSocket&) = delete;
    RawSocket& operator=(const RawSocket&) = delete;
    RawSocket(RawSocket&& other) noexcept : fd_(other.fd_), connected_(other.connected_) { other.fd_ = -1; }

    bool Connected() const { return connected_; }

    bool Send(std::string_view bytes) {
        while (!bytes.empty()) {
            const ssize_t sent = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
            if (sent <= 0)
                return false;
            bytes.remove_prefix(static_cast<std::size_t>(sent));
        }
        return true;
    }

    // What arrives until the peer closes or `wait` passes.
    std::string ReadUntilClosed(std::chrono::milliseconds wait) {
        std::string received;
        const auto until = std::chrono::steady_clock::now() + wait;
        char block[4096];
        while (true) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                until - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                return received;
            pollfd ready{fd_, POLLIN, 0};
            if (::poll(&ready, 1, static_cast<int>(left.count())) <= 0)
                return received;
            const ssize_t got = ::recv(fd_, block, sizeof block, 0);
            if (got <= 0) {
                closedByPeer_ = true;
                return received;
            }
            received.append(block, static_cast<std::size_t>(got));
        }
    }

    bool ClosedByPeer() const { return closedByPeer_; }

private:
    int fd_;
    bool connected_ = false;
    bool closedByPeer_ = false;
};

}  // namespace testsrv
