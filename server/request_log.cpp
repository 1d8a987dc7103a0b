#include "server/request_log.h"

#include <cmath>
#include <nlohmann/json.hpp>

#include "server/failure_log.h"

namespace server {

namespace {

const char* LevelName(LogLevel level) {
    switch (level) {
        case LogLevel::Info:
            return "info";
        case LogLevel::Warn:
            return "warn";
        case LogLevel::Error:
            return "error";
    }
    return "info";
}

}  // namespace

std::string RequestLogLine(const HttpResponse& response, const RequestFacts& facts) {
    nlohmann::ordered_json line;
    line["ts"] = UtcTimestamp();
    line["level"] = LevelName(response.level);
    line["ref"] = response.ref.empty() ? NewFailureRef() : response.ref;
    line["peer"] = facts.peer;
    line["user"] = response.user;
    line["route"] = response.route;
    line["http"] = facts.status;
    line["outcome"] = response.outcome;
    line["ms"] = std::round(facts.milliseconds * 10.0) / 10.0;
    line["bytes_in"] = facts.bytesIn;
    line["bytes_out"] = facts.bytesOut;
    // Control characters come out as \uXXXX and bytes that are not UTF-8
    // as U+FFFD.
    return line.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

}  // namespace server
