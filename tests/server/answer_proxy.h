// A loopback proxy in front of a server that loses the answer to the first
// POST it forwards: the request reaches the server, which runs it, and the
// client's connection is closed before any answer. Every other request
// passes through, one per connection.
#pragma once

#include <arpa/inet.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testsrv {

class AnswerLosingProxy {
public:
    explicit AnswerLosingProxy(int serverPort) : serverPort_(serverPort) {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(listener_, 16);
        socklen_t length = sizeof address;
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }
    ~AnswerLosingProxy() {
        stop_ = true;
        ::shutdown(listener_, SHUT_RDWR);
        ::close(listener_);
        thread_.join();
    }
    int Port() const { return port_; }
    // The Idempotency-Key of every POST seen, in order.
    std::vector<std::string> Keys() {
        std::lock_guard lock(mutex_);
        return keys_;
    }

private:
    void Serve() {
        while (!stop_) {
            const int client = ::accept(listener_, nullptr, nullptr);
            if (client < 0)
                return;
            Handle(client);
            ::close(client);
        }
    }

    static std::string HeaderOf(const std::string& head, std::string name) {
        std::string lower = head;
        std::transform(lower.begin(), lower.end(), lower.begin(),
                       [](unsigned char c) { return std::tolower(c); });
        const auto at = lower.find("\r\n" + name + ":");
        if (at == std::string::npos)
            return {};
        const auto start = head.find_first_not_of(' ', at + name.size() + 3);
        return head.substr(start, head.find("\r\n", start) - start);
    }

    void Handle(int client) {
        std::string received;
        char block[4096];
        std::size_t end;
        while ((end = received.find("\r\n\r\n")) == std::string::npos) {
            const ssize_t got = ::recv(client, block, sizeof block, 0);
            if (got <= 0)
                return;
            received.append(block, static_cast<std::size_t>(got));
        }
        const std::string head = received.substr(0, end + 2);
        const std::string length = HeaderOf(head, "content-length");
        const std::size_t size = length.empty() ? 0 : std::stoul(length);
        while (received.size() < end + 4 + size) {
            const ssize_t got = ::recv(client, block, sizeof block, 0);
            if (got <= 0)
                return;
            received.append(block, static_cast<std::size_t>(got));
        }
        const std::string body = received.substr(end + 4, size);
        const bool post = head.rfind("POST ", 0) == 0;
        const std::string path =
            head.substr(head.find(' ') + 1, head.find(' ', head.find(' ') + 1) - head.find(' ') - 1);

        httplib::Client server("127.0.0.1", serverPort_);
        httplib::Headers headers;
        for (const char* name : {"Authorization", "Idempotency-Key"}) {
            std::string lower = name;
            std::transform(lower.begin(), lower.end(), lower.begin(),
                           [](unsigned char c) { return std::tolower(c); });
            if (const std::string value = HeaderOf(head, lower); !value.empty())
                headers.emplace(name, value);
        }
        if (post) {
            std::lock_guard lock(mutex_);
            keys_.push_back(HeaderOf(head, "idempotency-key"));
        }
        const auto answer = post ? server.Post(path.c_str(), headers, body, "application/json")
                                 : server.Get(path.c_str(), headers);
        // The server has answered; its first POST answer never reaches the client.
        if (!answer || (post && !lost_.exchange(true)))
            return;
        const std::string reply =
            "HTTP/1.1 " + std::to_string(answer->status) +
            " X\r\nContent-Type: application/json\r\nConnection: close\r\nContent-Length: " +
            std::to_string(answer->body.size()) + "\r\n\r\n" + answer->body;
        ::send(client, reply.data(), reply.size(), MSG_NOSIGNAL);
    }

    int serverPort_;
    int listener_ = -1;
    int port_ = 0;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> lost_{false};
    std::mutex mutex_;
    std::vector<std::string> keys_;
};

}  // namespace testsrv
