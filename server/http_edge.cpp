#include "server/http_edge.h"

// Asio 1.74 uses std::exchange without including its header.
#include <utility>

#include <boost/asio.hpp>
#include <boost/asio/ssl.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/ssl.hpp>

#include <array>
#include <atomic>
#include <optional>
#include <stdexcept>
#include <thread>
#include <vector>

#include "server/answer_compression.h"
#include "server/chunk_queue.h"
#include "vcl/wire.h"

namespace server {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = asio::ip::tcp;
using Clock = std::chrono::steady_clock;

namespace {

// Connections beyond the limit still get their 503; more than this many
// waiting for it at once are closed without a word.
constexpr std::size_t kMaxRefusing = 64;
// After a refusal the rest of what the client sends is read and dropped
// for this long, so that the answer reaches it before the connection closes.
constexpr auto kLinger = std::chrono::seconds(2);
constexpr std::size_t kDrainBlock = 64 * 1024;

// What every connection shares with the edge; kept alive by the connections
// themselves, so that one outliving the edge's loop finds it intact.
struct Shared {
    HttpEdgeOptions options;
    HttpEdge::Handler handler;
    HttpEdge::Logger logger;
    std::optional<asio::ssl::context> tls;
    asio::thread_pool* workers = nullptr;
    std::atomic<std::size_t> active{0};
    std::atomic<std::size_t> refusing{0};
    std::atomic<bool> stopping{false};  // workers waiting to stream give up
};

double MillisecondsSince(Clock::time_point started) {
    return std::chrono::duration<double, std::milli>(Clock::now() - started).count();
}

template <class Stream>
class Connection : public std::enable_shared_from_this<Connection<Stream>> {
public:
    Connection(std::shared_ptr<Shared> shared, Stream stream, bool overLimit)
        : shared_(std::move(shared)), stream_(std::move(stream)), overLimit_(overLimit) {
        beast::error_code ignored;
        peer_ = beast::get_lowest_layer(stream_).socket().remote_endpoint(ignored).address().to_string();
    }
    ~Connection() {
        if (overLimit_)
            --shared_->refusing;
        else
            --shared_->active;
    }

    void Run() {
        Lowest().expires_after(shared_->options.limits.headerTimeout);
        if constexpr (std::is_same_v<Stream, beast::tcp_stream>) {
            Begin();
        } else {
            stream_.async_handshake(asio::ssl::stream_base::server,
                                    [self = this->shared_from_this()](beast::error_code ec) {
                                        if (!ec)
                                            self->Begin();
                                    });
        }
    }

private:
    beast::tcp_stream& Lowest() { return beast::get_lowest_layer(stream_); }

    void Begin() {
        if (overLimit_) {
            Refuse(503, "Servidor ocupado; tente novamente");
            return;
        }
        ReadHeader();
    }

    // Between requests: the next one must start within the idle time; its
    // headers then have the header time.
    void WaitNext() {
        if (buffer_.size() > 0) {
            Lowest().expires_after(shared_->options.limits.headerTimeout);
            ReadHeader();
            return;
        }
        Lowest().expires_after(shared_->options.limits.idleTimeout);
        stream_.async_read_some(buffer_.prepare(4096),
                                [self = this->shared_from_this()](beast::error_code ec, std::size_t bytes) {
                                    self->buffer_.commit(bytes);
                                    if (ec)
                                        return self->Close();
                                    self->Lowest().expires_after(self->shared_->options.limits.headerTimeout);
                                    self->ReadHeader();
                                });
    }

    void ReadHeader() {
        const HttpLimits& limits = shared_->options.limits;
        parser_.emplace();
        parser_->header_limit(static_cast<std::uint32_t>(limits.maxHeaderBytes));
        parser_->body_limit(static_cast<std::uint64_t>(limits.maxBodyBytes));
        started_ = Clock::now();
        bodyIn_ = 0;
        http::async_read_header(
            stream_, buffer_, *parser_,
            [self = this->shared_from_this()](beast::error_code ec, std::size_t) { self->OnHeader(ec); });
    }

    void OnHeader(beast::error_code ec) {
        if (ec) {
            ReadFailed(ec);
            return;
        }
        Lowest().expires_after(shared_->options.limits.transferTimeout);
        const auto& request = parser_->get();
        if (parser_->is_done()) {
            Dispatch();
            return;
        }
        if (beast::iequals(request[http::field::expect], "100-continue")) {
            asio::async_write(stream_, asio::buffer(kContinue),
                              [self = this->shared_from_this()](beast::error_code written, std::size_t) {
                                  if (written)
                                      return self->Close();
                                  self->ReadBody();
                              });
            return;
        }
        ReadBody();
    }

    void ReadBody() {
        http::async_read(stream_, buffer_, *parser_,
                         [self = this->shared_from_this()](beast::error_code ec, std::size_t) {
                             if (ec)
                                 return self->ReadFailed(ec);
                             self->Dispatch();
                         });
    }

    // A request that could not be read: the limits answer in JSON, a
    // client that went away or stayed silent is closed.
    void ReadFailed(beast::error_code ec) {
        if (ec == http::error::header_limit)
            return Refuse(431, "Cabeçalhos da requisição grandes demais");
        if (ec == http::error::body_limit)
            return Refuse(413, "Corpo da requisição grande demais");
        if (ec == beast::error::timeout && parser_ && parser_->got_some())
            return Refuse(408, "Tempo esgotado ao receber a requisição");
        if (ec == http::error::end_of_stream || ec == beast::error::timeout || ec == asio::error::eof ||
            ec == asio::error::connection_reset || ec == asio::error::operation_aborted || !parser_ ||
            !parser_->got_some())
            return Close();
        Refuse(400, "Requisição HTTP malformada");
    }

    void Dispatch() {
        auto& parsed = parser_->get();
        HttpRequest request;
        request.method = std::string(parsed.method_string());
        request.target = std::string(parsed.target());
        for (const auto& field : parsed) {
            std::string name(field.name_string());
            for (char& c : name)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            request.headers[std::move(name)] = std::string(field.value());
        }
        request.peer = peer_;
        keepAlive_ = parsed.keep_alive();
        // A repeated header is one list.
        acceptsZstd_ = false;
        const auto [first, last] = parsed.equal_range(http::field::accept_encoding);
        for (auto field = first; field != last; ++field)
            acceptsZstd_ = acceptsZstd_ || AcceptsZstd({field->value().data(), field->value().size()});
        version_ = parsed.version();
        request.body = std::move(parsed.body());
        bodyIn_ = request.body.size();
        parser_.reset();
        // HTTP/1.0 has no chunks: its answers go whole.
        std::shared_ptr<ChunkQueue> chunks;
        if (version_ == 11) {
            std::weak_ptr<Connection> weak = this->shared_from_this();
            chunks = std::make_shared<ChunkQueue>(
                shared_->options.limits.streamPieceBytes, acceptsZstd_,
                [weak, executor = Lowest().get_executor()] {
                    asio::post(executor, [weak] {
                        if (auto self = weak.lock())
                            self->Pump();
                    });
                },
                shared_->stopping);
            request.stream = chunks.get();
        }
        chunks_ = chunks;
        bytesOut_ = 0;
        headSent_ = false;
        // The call runs on a worker; its answer is written from the loop.
        asio::post(*shared_->workers, [self = this->shared_from_this(), request = std::move(request),
                                       chunks = std::move(chunks)]() mutable {
            auto response = std::make_shared<HttpResponse>(self->shared_->handler(request));
            if (response->delivery == Delivery::Streamed && chunks && !chunks->Finish()) {
                response->delivery = Delivery::StreamBroken;
                response->outcome = "the client stopped receiving the answer";
                response->level = LogLevel::Warn;
            }
            asio::post(self->Lowest().get_executor(),
                       [self, response] { self->Answer(std::move(*response), false); });
        });
    }

    void Refuse(int status, std::string_view text) {
        HttpResponse response;
        response.status = status;
        response.body = vcl::wire::EncodeError(std::string(text));
        response.outcome = text;
        response.level = LogLevel::Warn;
        if (parser_ && parser_->got_some()) {
            const auto& partial = parser_->get();
            response.route = std::string(partial.method_string()) + " " + std::string(partial.target());
        }
        if (parser_ && parser_->got_some())
            version_ = parser_->get().version();
        parser_.reset();
        acceptsZstd_ = false;
        Answer(std::move(response), true);
    }

    void Answer(HttpResponse answer, bool close) {
        if (answer.delivery != Delivery::Whole) {
            // Its pieces went through the chunk queue: end it once they are written.
            ending_ = std::move(answer);
            Pump();
            return;
        }
        chunks_.reset();
        response_.emplace();
        response_->version(version_ == 10 ? 10 : 11);
        response_->result(static_cast<unsigned>(answer.status));
        response_->set(http::field::content_type, "application/json; charset=utf-8");
        for (const auto& [name, value] : answer.headers)
            response_->set(name, value);
        response_->keep_alive(keepAlive_ && !close);
        if (acceptsZstd_ && answer.body.size() > kCompressAbove) {
            if (auto compressed = CompressZstd(answer.body)) {
                answer.body = std::move(*compressed);
                response_->set(http::field::content_encoding, "zstd");
            }
        }
        response_->body() = std::move(answer.body);
        response_->prepare_payload();
        // Logged before it is sent, so that the line is there by the time
        // the client reads the answer.
        Log(answer, response_->body().size());
        Lowest().expires_after(shared_->options.limits.transferTimeout);
        const bool keepAlive = response_->keep_alive();
        http::async_write(
            stream_, *response_,
            [self = this->shared_from_this(), close, keepAlive](beast::error_code ec, std::size_t) {
                self->response_.reset();
                self->Written(ec, close, keepAlive);
            });
    }

    void Log(HttpResponse& answer, std::size_t bytesOut) {
        if (!shared_->logger)
            return;
        if (answer.route.empty())
            answer.route = "-";
        shared_->logger(answer,
                        RequestFacts{peer_, answer.status, MillisecondsSince(started_), bodyIn_, bytesOut});
    }

    // A streamed answer: its head with the first piece, then each piece as
    // a chunk as the worker queues it, then the last chunk once the worker
    // is done. A write that fails or times out cancels the queue, which
    // stops the worker.
    void Pump() {
        if (writing_ || !chunks_)
            return;
        if (!chunks_->Cancelled()) {
            // The head goes with the first piece: a wake left over from an
            // earlier answer on this connection finds nothing waiting.
            if (!headSent_ && chunks_->Waiting()) {
                WriteHead();
                return;
            }
            if (auto piece = headSent_ ? chunks_->Take() : std::nullopt) {
                chunk_ = std::move(*piece);
                writing_ = true;
                Lowest().expires_after(shared_->options.limits.transferTimeout);
                asio::async_write(stream_, http::make_chunk(asio::buffer(chunk_)),
                                  [self = this->shared_from_this()](beast::error_code ec, std::size_t) {
                                      self->writing_ = false;
                                      self->bytesOut_ += self->chunk_.size();
                                      self->chunk_.clear();
                                      if (ec)
                                          return self->Broke();
                                      self->Pump();
                                  });
                return;
            }
        }
        if (ending_)
            EndStream();
    }

    void WriteHead() {
        headSent_ = true;
        writing_ = true;
        streamHead_.emplace(http::status::ok, 11);
        streamHead_->set(http::field::content_type, "application/json; charset=utf-8");
        if (chunks_->Compressed())
            streamHead_->set(http::field::content_encoding, "zstd");
        streamHead_->keep_alive(keepAlive_);
        streamHead_->chunked(true);
        headWriter_.emplace(*streamHead_);
        Lowest().expires_after(shared_->options.limits.transferTimeout);
        http::async_write_header(stream_, *headWriter_,
                                 [self = this->shared_from_this()](beast::error_code ec, std::size_t) {
                                     self->writing_ = false;
                                     self->headWriter_.reset();
                                     if (ec)
                                         return self->Broke();
                                     self->Pump();
                                 });
    }

    // The client can no longer be written to: the worker stops at its next piece.
    void Broke() {
        chunks_->Cancel();
        Close();
        if (ending_)
            EndStream();
    }

    // The worker is done and every piece written: a complete answer gets
    // its last chunk, a broken one ends the connection without it, so that
    // the client sees the answer incomplete.
    void EndStream() {
        HttpResponse answer = std::move(*ending_);
        ending_.reset();
        const bool complete = answer.delivery == Delivery::Streamed && !chunks_->Cancelled();
        chunks_.reset();
        if (!complete && answer.level == LogLevel::Info) {
            answer.outcome = "the client stopped receiving the answer";
            answer.level = LogLevel::Warn;
        }
        Log(answer, bytesOut_);
        if (!complete)
            return Close();
        writing_ = true;
        asio::async_write(stream_, http::make_chunk_last(),
                          [self = this->shared_from_this()](beast::error_code ec, std::size_t) {
                              self->writing_ = false;
                              self->Written(ec, false, self->keepAlive_);
                          });
    }

    void Written(beast::error_code ec, bool close, bool keepAlive) {
        const bool again = !ec && !close && keepAlive;
        if (ec)
            return Close();
        if (close)
            return Linger();
        if (again)
            return WaitNext();
        Close();
    }

    // Reads and drops what the client still sends, for a bounded time, so
    // that closing does not reset the connection before it reads the answer.
    void Linger() {
        if constexpr (std::is_same_v<Stream, beast::tcp_stream>) {
            beast::error_code ignored;
            Lowest().socket().shutdown(tcp::socket::shutdown_send, ignored);
        }
        drain_ = std::make_unique<std::array<char, kDrainBlock>>();
        Lowest().expires_after(kLinger);
        Drain();
    }

    void Drain() {
        stream_.async_read_some(asio::buffer(*drain_),
                                [self = this->shared_from_this()](beast::error_code ec, std::size_t) {
                                    if (ec)
                                        return self->Close();
                                    self->Drain();
                                });
    }

    void Close() {
        beast::error_code ignored;
        Lowest().socket().shutdown(tcp::socket::shutdown_both, ignored);
        Lowest().close();
    }

    static constexpr std::string_view kContinue = "HTTP/1.1 100 Continue\r\n\r\n";

    std::shared_ptr<Shared> shared_;
    Stream stream_;
    bool overLimit_;
    std::string peer_;
    beast::flat_buffer buffer_;
    std::optional<http::request_parser<http::string_body>> parser_;
    std::optional<http::response<http::string_body>> response_;
    // The streamed answer under way, if any, and what the loop writes of it.
    std::shared_ptr<ChunkQueue> chunks_;
    std::optional<http::response<http::empty_body>> streamHead_;
    std::optional<http::response_serializer<http::empty_body>> headWriter_;
    std::string chunk_;
    std::optional<HttpResponse> ending_;  // the worker's last word on it
    std::size_t bytesOut_ = 0;
    bool headSent_ = false;
    bool writing_ = false;
    std::unique_ptr<std::array<char, kDrainBlock>> drain_;
    Clock::time_point started_ = Clock::now();
    std::size_t bodyIn_ = 0;  // bytes of the request's body
    unsigned version_ = 11;
    bool keepAlive_ = true;
    bool acceptsZstd_ = false;
};

std::optional<asio::ssl::context> MakeTls(const HttpEdgeOptions& options) {
    if (options.tlsCert.empty() && options.tlsKey.empty())
        return std::nullopt;
    if (options.tlsCert.empty() || options.tlsKey.empty())
        throw std::runtime_error("TLS needs both --tls-cert and --tls-key");
    std::optional<asio::ssl::context> tls(std::in_place, asio::ssl::context::tls_server);
    tls->set_options(asio::ssl::context::default_workarounds | asio::ssl::context::no_sslv2 |
                     asio::ssl::context::no_sslv3 | asio::ssl::context::no_tlsv1 |
                     asio::ssl::context::no_tlsv1_1);
    beast::error_code ec;
    tls->use_certificate_chain_file(options.tlsCert, ec);
    if (!ec)
        tls->use_private_key_file(options.tlsKey, asio::ssl::context::pem, ec);
    if (ec)
        throw std::runtime_error("cannot load the TLS certificate " + options.tlsCert + " or its key " +
                                 options.tlsKey);
    return tls;
}

}  // namespace

struct HttpEdge::Impl {
    explicit Impl(std::shared_ptr<Shared> state)
        : shared(std::move(state)), workers(std::max<std::size_t>(1, shared->options.workers)) {
        shared->workers = &workers;
    }

    void Accept() {
        acceptor.async_accept(asio::make_strand(io), [this](beast::error_code ec, tcp::socket socket) {
            if (!acceptor.is_open())
                return;
            if (ec) {
                // Out of descriptors, say: try again shortly rather than spin.
                retry.expires_after(std::chrono::milliseconds(50));
                retry.async_wait([this](beast::error_code) { Accept(); });
                return;
            }
            Admit(std::move(socket));
            Accept();
        });
    }

    void Admit(tcp::socket socket) {
        beast::error_code ignored;
        socket.set_option(tcp::no_delay(true), ignored);
        bool overLimit = false;
        if (++shared->active > shared->options.limits.maxConnections) {
            --shared->active;
            if (++shared->refusing > kMaxRefusing) {
                --shared->refusing;
                socket.close(ignored);
                return;
            }
            overLimit = true;
        }
        if (shared->tls) {
            using Tls = beast::ssl_stream<beast::tcp_stream>;
            std::make_shared<Connection<Tls>>(shared, Tls(beast::tcp_stream(std::move(socket)), *shared->tls),
                                              overLimit)
                ->Run();
        } else {
            std::make_shared<Connection<beast::tcp_stream>>(shared, beast::tcp_stream(std::move(socket)),
                                                            overLimit)
                ->Run();
        }
    }

    std::shared_ptr<Shared> shared;
    asio::io_context io{1};
    tcp::acceptor acceptor{io};
    asio::steady_timer retry{io};
    asio::thread_pool workers;
    std::thread loop;
};

HttpEdge::HttpEdge(HttpEdgeOptions options, Handler handler, Logger logger) {
    auto shared = std::make_shared<Shared>();
    shared->tls = MakeTls(options);
    shared->options = std::move(options);
    shared->handler = std::move(handler);
    shared->logger = std::move(logger);
    impl_ = std::make_unique<Impl>(std::move(shared));
}

HttpEdge::~HttpEdge() {
    Stop();
}

int HttpEdge::Start(const std::string& host, int port) {
    if (impl_->loop.joinable())
        throw std::runtime_error("the server is already running");
    beast::error_code ec;
    const auto address = asio::ip::make_address(host == "localhost" ? "127.0.0.1" : host, ec);
    const std::string shown = host + ":" + std::to_string(port);
    if (ec)
        throw std::runtime_error("cannot listen on " + shown + ": not an IP address");
    const tcp::endpoint endpoint(address, static_cast<unsigned short>(port));
    auto& acceptor = impl_->acceptor;
    acceptor.open(endpoint.protocol(), ec);
    if (!ec)
        acceptor.set_option(asio::socket_base::reuse_address(true), ec);
    if (!ec)
        acceptor.bind(endpoint, ec);
    if (!ec)
        acceptor.listen(asio::socket_base::max_listen_connections, ec);
    if (ec) {
        beast::error_code ignored;
        acceptor.close(ignored);
        throw std::runtime_error("cannot listen on " + shown + ": " + ec.message());
    }
    const int bound = acceptor.local_endpoint().port();
    impl_->Accept();
    impl_->loop = std::thread([this] { impl_->io.run(); });
    return bound;
}

void HttpEdge::Stop() {
    if (!impl_->loop.joinable())
        return;
    impl_->shared->stopping = true;
    asio::post(impl_->io, [this] {
        beast::error_code ignored;
        impl_->acceptor.close(ignored);
        impl_->retry.cancel();
    });
    impl_->io.stop();
    impl_->loop.join();
    impl_->workers.join();
}

}  // namespace server
