#include "server/failure_log.h"

#include <sodium.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <nlohmann/json.hpp>

#include "server/password_hash.h"

namespace server {

namespace {

std::string NowIso() {
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

std::string LogUnderRef(std::string_view detail, std::string_view clientText) {
    const std::string ref = NewFailureRef();
    // dump() escapes the detail; bytes that are not UTF-8 become U+FFFD.
    const nlohmann::json line{{"ts", NowIso()}, {"level", "error"}, {"ref", ref}, {"detail", detail}};
    std::fprintf(stderr, "%s\n", line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace).c_str());
    return std::string(clientText) + " (ref. " + ref + ")";
}

}  // namespace

std::string NewFailureRef() {
    InitSodium();
    unsigned char bytes[4];
    randombytes_buf(bytes, sizeof bytes);
    char hex[sizeof bytes * 2 + 1];
    sodium_bin2hex(hex, sizeof hex, bytes, sizeof bytes);
    return hex;
}

std::string DatabaseFailure(std::string_view detail) {
    return LogUnderRef(detail, "Erro no banco de dados");
}

std::string InternalFailure(std::string_view detail) {
    return LogUnderRef(detail, "Erro interno do servidor");
}

}  // namespace server
