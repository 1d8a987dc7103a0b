#include "server/failure_log.h"

#include <sodium.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <nlohmann/json.hpp>
#include <utility>

#include "server/password_hash.h"

namespace server {

namespace {

// The scope of the request this thread is serving, if any.
thread_local FailureScope* current = nullptr;

std::string RecordUnderRef(std::string_view detail, std::string_view clientText) {
    std::string ref = NewFailureRef();
    std::string answer = std::string(clientText) + " (ref. " + ref + ")";
    if (current != nullptr) {
        current->Record(std::move(ref), detail);
        return answer;
    }
    // dump() escapes the detail; bytes that are not UTF-8 become U+FFFD.
    const nlohmann::json line{{"ts", UtcTimestamp()}, {"level", "error"}, {"ref", ref}, {"outcome", detail}};
    std::fprintf(stderr, "%s\n", line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace).c_str());
    return answer;
}

}  // namespace

std::string UtcTimestamp() {
    const auto now = std::chrono::system_clock::now();
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    std::tm parts{};
    gmtime_r(&seconds, &parts);
    char text[40];
    const std::size_t length = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &parts);
    std::snprintf(text + length, sizeof text - length, ".%03dZ", static_cast<int>(millis));
    return text;
}

std::string NewFailureRef() {
    InitSodium();
    unsigned char bytes[4];
    randombytes_buf(bytes, sizeof bytes);
    char hex[sizeof bytes * 2 + 1];
    sodium_bin2hex(hex, sizeof hex, bytes, sizeof bytes);
    return hex;
}

std::string DatabaseFailure(std::string_view detail) {
    return RecordUnderRef(detail, "Erro no banco de dados");
}

std::string InternalFailure(std::string_view detail) {
    return RecordUnderRef(detail, "Erro interno do servidor");
}

FailureScope::FailureScope() : outer_(std::exchange(current, this)) {}

FailureScope::~FailureScope() {
    current = outer_;
}

const FailureScope* FailureScope::Current() {
    return current;
}

void FailureScope::Record(std::string ref, std::string_view detail) {
    if (Failed())
        return;
    ref_ = std::move(ref);
    detail_ = detail;
}

}  // namespace server
