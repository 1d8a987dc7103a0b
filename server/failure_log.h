// Failures whose detail stays in the server's log: the client reads a short
// Portuguese text with a reference, the log holds the detail under the same
// reference.
#pragma once

#include <string>
#include <string_view>

namespace server {

// Eight hex digits, random.
std::string NewFailureRef();

// "2026-12-10T07:09:01.123Z": now, in UTC, with milliseconds.
std::string UtcTimestamp();

// Records `detail` under a new reference; returns
// "Erro no banco de dados (ref. R)".
std::string DatabaseFailure(std::string_view detail);

// Records `detail` under a new reference; returns
// "Erro interno do servidor (ref. R)".
std::string InternalFailure(std::string_view detail);

// While a scope lives on a thread, the failures recorded on that thread
// belong to the request it serves and go into that request's log line (the
// first one kept); outside any scope each failure is logged on a line of its
// own at level error.
class FailureScope {
public:
    FailureScope();
    ~FailureScope();
    FailureScope(const FailureScope&) = delete;
    FailureScope& operator=(const FailureScope&) = delete;

    bool Failed() const { return !ref_.empty(); }
    const std::string& Ref() const { return ref_; }
    const std::string& Detail() const { return detail_; }

    void Record(std::string ref, std::string_view detail);

    // The innermost scope on this thread; nullptr outside any.
    static const FailureScope* Current();

private:
    FailureScope* outer_;
    std::string ref_;
    std::string detail_;
};

}  // namespace server
