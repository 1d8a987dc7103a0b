// zrm-load: reproduces the HTTP edge's figures on loopback, against an
// application server it runs in its own process over --db (a database made
// by `zrm-server init-db --demo`):
//  1. IDLE idle connections and SLOW clients sending headers a byte a
//     second, then the time a getSerie takes to be answered;
//  2. CLIENTS concurrent clients making CALLS getSerie calls each: p50, p99;
//  3. a BODY-MB body announced and streamed: the time to its 413 and the
//     process's memory growth while it arrives;
//  4. a call whose arguments hold an ARGS-MB array: its answer and the peak
//     memory it took.
// Everything is bounded in count and time; it only ever connects to 127.0.0.1.
#include <arpa/inet.h>
#include <httplib.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>
#include <CLI/CLI.hpp>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "server/app_server.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr const char* kGetSerie = "/zrm90000.rdmRemessaAnalise/getSerie";
constexpr const char* kGetSerieBody = R"({"args":["0001"]})";

double Ms(Clock::duration elapsed) {
    return std::chrono::duration<double, std::milli>(elapsed).count();
}

// A loopback TCP connection; -1 when it cannot open.
int Connect(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
        return fd;
    if (fd >= 0)
        ::close(fd);
    return -1;
}

// kB of the process's resident memory: now (VmRSS) or at its peak (VmHWM).
long StatusKb(const std::string& field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind(field + ":", 0) == 0)
            return std::stol(line.substr(field.size() + 1));
    }
    return -1;
}

httplib::Client Client(int port, const std::string& token) {
    httplib::Client client("127.0.0.1", port);
    client.set_bearer_token_auth(token);
    client.set_connection_timeout(5, 0);
    client.set_read_timeout(30, 0);
    return client;
}

void IdleAndSlow(int port, const std::string& token, int idle, int slow) {
    std::vector<int> idlers;
    for (int i = 0; i < idle; ++i) {
        if (const int fd = Connect(port); fd >= 0)
            idlers.push_back(fd);
    }
    std::atomic<bool> stop{false};
    std::vector<std::thread> senders;
    for (int i = 0; i < slow; ++i) {
        senders.emplace_back([&] {
            const int fd = Connect(port);
            const std::string headers = "GET /health HTTP/1.1\r\nHost: x\r\nX-Slow: " + std::string(100, 'a');
            for (std::size_t at = 0; fd >= 0 && at < headers.size() && !stop; ++at) {
                if (::send(fd, headers.data() + at, 1, MSG_NOSIGNAL) != 1)
                    break;
                for (int tick = 0; tick < 10 && !stop; ++tick)
                    std::this_thread::sleep_for(100ms);  // a byte a second
            }
            if (fd >= 0)
                ::close(fd);
        });
    }
    std::this_thread::sleep_for(2s);
    httplib::Client client = Client(port, token);
    const auto started = Clock::now();
    const auto answer = client.Post(kGetSerie, kGetSerieBody, "application/json");
    const double took = Ms(Clock::now() - started);
    stop = true;
    for (auto& sender : senders)
        sender.join();
    for (const int fd : idlers)
        ::close(fd);
    std::printf("idle+slow: %zu idle connections, %d slow-header clients: getSerie answered %d in %.1f ms\n",
                idlers.size(), slow, answer ? answer->status : 0, took);
}

void Concurrent(int port, const std::string& token, int clients, int calls) {
    std::vector<std::vector<double>> times(static_cast<std::size_t>(clients));
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    const auto started = Clock::now();
    for (int c = 0; c < clients; ++c) {
        threads.emplace_back([&, c] {
            httplib::Client client = Client(port, token);
            for (int i = 0; i < calls; ++i) {
                const auto begin = Clock::now();
                const auto answer = client.Post(kGetSerie, kGetSerieBody, "application/json");
                times[static_cast<std::size_t>(c)].push_back(Ms(Clock::now() - begin));
                if (!answer || answer->status != 200)
                    ++failures;
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    const double total = Ms(Clock::now() - started);
    std::vector<double> all;
    for (const auto& own : times)
        all.insert(all.end(), own.begin(), own.end());
    std::sort(all.begin(), all.end());
    const auto at = [&](double share) {
        return all[std::min(all.size() - 1, static_cast<std::size_t>(share * all.size()))];
    };
    std::printf(
        "concurrent: %d clients x %d getSerie: p50 %.1f ms, p99 %.1f ms, max %.1f ms, %.0f calls/s, %d "
        "failed\n",
        clients, calls, at(0.50), at(0.99), all.back(), 1000.0 * all.size() / total, failures.load());
}

void OversizedBody(int port, const std::string& token, long long megabytes) {
    const long long size = megabytes << 20;
    const long peakBefore = StatusKb("VmHWM");
    const long rssBefore = StatusKb("VmRSS");
    const int fd = Connect(port);
    if (fd < 0) {
        std::printf("body: cannot connect\n");
        return;
    }
    const std::string head = std::string("POST ") + kGetSerie +
                             " HTTP/1.1\r\nHost: x\r\nAuthorization: Bearer " + token +
                             "\r\nContent-Length: " + std::to_string(size) + "\r\n\r\n";
    const auto started = Clock::now();
    ::send(fd, head.data(), head.size(), MSG_NOSIGNAL);
    const std::string block(64 * 1024, ' ');
    long long sent = 0;
    std::string answer;
    // Streams the body until the answer comes, for at most 30 s.
    while (Clock::now() - started < 30s) {
        pollfd ready{fd, POLLIN | POLLOUT, 0};
        if (::poll(&ready, 1, 1000) <= 0)
            continue;
        if (ready.revents & POLLIN) {
            char buffer[4096];
            const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
            if (got > 0)
                answer.append(buffer, static_cast<std::size_t>(got));
            if (got <= 0 || answer.find("\r\n\r\n") != std::string::npos)
                break;
        } else if ((ready.revents & POLLOUT) && sent < size) {
            const ssize_t put = ::send(fd, block.data(), block.size(), MSG_NOSIGNAL);
            if (put <= 0)
                break;
            sent += put;
        } else if (ready.revents & (POLLERR | POLLHUP)) {
            break;
        }
    }
    const double took = Ms(Clock::now() - started);
    ::close(fd);
    std::printf(
        "body: %lld MB announced, %.1f MB sent: answer \"%s\" after %.1f ms; resident memory %+ld MB "
        "(peak %+ld MB)\n",
        megabytes, static_cast<double>(sent) / (1 << 20), answer.substr(0, answer.find("\r\n")).c_str(), took,
        (StatusKb("VmRSS") - rssBefore) / 1024, (StatusKb("VmHWM") - peakBefore) / 1024);
}

// A well-formed call whose arguments hold an array of `megabytes` MB: the
// time to its answer and the memory it took to decode.
void LargeArguments(int port, const std::string& token, long long megabytes) {
    std::string body = R"({"args":["0001",[)";
    const long long size = megabytes << 20;
    body.reserve(static_cast<std::size_t>(size) + 64);
    while (static_cast<long long>(body.size()) < size)
        body += "1,";
    body += "1]]}";
    const long peakBefore = StatusKb("VmHWM");
    httplib::Client client = Client(port, token);
    const auto started = Clock::now();
    const auto answer = client.Post(kGetSerie, body, "application/json");
    const double took = Ms(Clock::now() - started);
    std::printf("arguments: a %lld MB array: answer %d after %.1f ms; peak memory %+ld MB\n", megabytes,
                answer ? answer->status : 0, took, (StatusKb("VmHWM") - peakBefore) / 1024);
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app("Measures the application server's HTTP edge on loopback.", "zrm-load");
    std::string connect;
    int threads = 8, idle = 500, slow = 8, clients = 128, calls = 20;
    long long bodyMb = 200;
    long long argsMb = 50;
    app.add_option("--db", connect, "database connection text (made by zrm-server init-db --demo)")
        ->required();
    app.add_option("--threads", threads, "server workers")->check(CLI::Range(1, 256))->capture_default_str();
    app.add_option("--idle", idle, "idle connections")->check(CLI::Range(0, 5000))->capture_default_str();
    app.add_option("--slow", slow, "slow-header clients")->check(CLI::Range(0, 64))->capture_default_str();
    app.add_option("--clients", clients, "concurrent clients")
        ->check(CLI::Range(1, 512))
        ->capture_default_str();
    app.add_option("--calls", calls, "calls per client")->check(CLI::Range(1, 1000))->capture_default_str();
    app.add_option("--body-mb", bodyMb, "oversized body, MB")
        ->check(CLI::Range(1, 2048))
        ->capture_default_str();
    app.add_option("--args-mb", argsMb, "arguments array of a call, MB (under the body limit)")
        ->check(CLI::Range(1, 60))
        ->capture_default_str();
    CLI11_PARSE(app, argc, argv);

    rlimit files{};
    getrlimit(RLIMIT_NOFILE, &files);
    files.rlim_cur = files.rlim_max;
    setrlimit(RLIMIT_NOFILE, &files);

    server::AppServerOptions options;
    options.threads = threads;
    options.quiet = true;
    options.limits.maxConnections = static_cast<std::size_t>(std::max(256, idle + slow + clients + 16));
    server::AppServer server(connect, options);
    const int port = server.Start("127.0.0.1", 0);
    const std::string token = server.OpenSession(server::LocalCaller("0001"));
    std::printf("server: %d workers, at most %zu connections, on 127.0.0.1:%d\n", threads,
                options.limits.maxConnections, port);
    IdleAndSlow(port, token, idle, slow);
    Concurrent(port, token, clients, calls);
    OversizedBody(port, token, bodyMb);
    LargeArguments(port, token, argsMb);
    server.Stop();
    return 0;
}
