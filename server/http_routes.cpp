#include "server/http_routes.h"

#include <cctype>
#include <vector>

#include "contracts/server_api.h"
#include "db/connection.h"
#include "server/answer_output.h"
#include "server/call_error.h"
#include "server/failure_log.h"
#include "server/login.h"
#include "server/lookup_query.h"
#include "server/request_shape.h"
#include "vcl/exceptions.h"

namespace server {

HttpResponse ErrorResponse(int status, std::string_view text, std::string_view outcome) {
    HttpResponse response;
    response.status = status;
    response.body = vcl::wire::EncodeError(std::string(text));
    response.outcome = outcome.empty() ? std::string(text) : std::string(outcome);
    response.level = status >= 500 ? LogLevel::Error : LogLevel::Warn;
    return response;
}

namespace {

// The token of "Authorization: Bearer TOKEN"; empty when there is none.
std::string_view BearerToken(const HttpRequest& request) {
    const std::string_view value = request.Header("authorization");
    constexpr std::string_view kScheme = "bearer ";
    if (value.size() <= kScheme.size())
        return {};
    for (std::size_t i = 0; i < kScheme.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(value[i])) != kScheme[i])
            return {};
    }
    return value.substr(kScheme.size());
}

// The path's segments ("/a/b?x" gives a, b); an empty segment makes the
// path unknown (nullopt).
std::optional<std::vector<std::string>> Segments(std::string_view target) {
    target = target.substr(0, target.find('?'));
    if (target.empty() || target.front() != '/')
        return std::nullopt;
    std::vector<std::string> segments;
    std::size_t start = 1;
    while (start <= target.size()) {
        const std::size_t slash = std::min(target.find('/', start), target.size());
        if (slash == start)
            return std::nullopt;
        segments.emplace_back(target.substr(start, slash - start));
        start = slash + 1;
    }
    return segments;
}

HttpResponse MethodNotAllowed(std::string_view allowed) {
    HttpResponse response = ErrorResponse(405, "Método HTTP não permitido nesta rota");
    response.headers["Allow"] = std::string(allowed);
    return response;
}

// The failure recorded while the request ran, if any, into the log fields.
void TakeFailure(const FailureScope& failures, HttpResponse& response) {
    if (!failures.Failed())
        return;
    response.ref = failures.Ref();
    response.outcome = failures.Detail();
    response.level = LogLevel::Error;
}

// A failure after the answer's head and first pieces left: its status was
// 200 and stays so; the client must see the answer incomplete, and the log
// keeps the failure at level error with a reference (the client going
// away is no failure of the server's: a warning).
void CutShort(HttpResponse& response, bool clientGone) {
    if (!clientGone) {
        if (response.status < 500)
            response.outcome = InternalFailure(response.outcome);
        response.level = LogLevel::Error;
    }
    response.status = 200;
    response.body.clear();
    response.delivery = Delivery::StreamBroken;
}

}  // namespace

std::string OutcomeOf(std::string_view method, const vcl::wire::Answer& answer) {
    if (!answer.result.IsArray() || answer.result.ArrayLength() == 0 ||
        answer.result.AsArray()[0].type() != vcl::Variant::Type::String)
        return "OK";
    const std::string status = answer.result.AsArray()[0].AsString();
    if (method == contracts::kGeraSaida)
        return status;
    return status.empty() ? "OK" : status;
}

void HttpRoutes::SetObserver(CallObserver observer) {
    std::lock_guard lock(observerMutex_);
    observer_ = std::move(observer);
}

CallObserver HttpRoutes::Observer() {
    std::lock_guard lock(observerMutex_);
    return observer_;
}

HttpResponse HttpRoutes::Handle(const HttpRequest& request) {
    FailureScope failures;
    HttpResponse response;
    const auto segments = Segments(request.target);
    const bool post = request.method == "POST";
    try {
        const bool login = segments && segments->size() == 1 && (*segments)[0] == "login";
        if (post && !login && !target_.Identify(BearerToken(request))) {
            // Every POST but /login needs a live session, whatever route it names.
            response = ErrorResponse(401, kSessionInvalid);
        } else if (!segments || segments->empty() || segments->size() > 2) {
            response = ErrorResponse(404, "Rota desconhecida");
        } else if (segments->size() == 2 || (*segments)[0] == "login" || (*segments)[0] == "logout") {
            if (!post) {
                response = MethodNotAllowed("POST");
            } else if (login) {
                response = Login(request);
            } else if (segments->size() == 1) {
                target_.Logout(BearerToken(request));
                response.body = "{}";
                response.outcome = "OK";
            } else {
                response = Call(request, (*segments)[0], (*segments)[1]);
            }
        } else if (request.method != "GET") {
            response = MethodNotAllowed("GET");
        } else if ((*segments)[0] == "health") {
            response = Health();
        } else if (target_.KnowsServer((*segments)[0])) {
            response.body = R"({"server":)" + vcl::wire::Encode(vcl::Variant((*segments)[0])) + "}";
            response.outcome = "OK";
        } else {
            response = ErrorResponse(404, "Servidor desconhecido");
        }
    } catch (const std::exception& e) {
        response = ErrorResponse(500, InternalFailure(e.what()));
    }
    response.route = request.method + " " + request.target;
    TakeFailure(failures, response);
    return response;
}

HttpResponse HttpRoutes::Login(const HttpRequest& request) {
    CallTarget::LoginAnswer answer;
    try {
        answer = target_.Login(request.body, request.peer);
    } catch (const soci::soci_error& e) {
        answer = {500, vcl::wire::EncodeError(DatabaseFailure(e.what())), "database failure"};
    } catch (const db::DbError& e) {
        answer = {500, vcl::wire::EncodeError(DatabaseFailure(e.what())), "database failure"};
    }
    HttpResponse response;
    response.status = answer.status;
    response.body = std::move(answer.body);
    response.outcome = answer.status == 200 ? "OK" : answer.outcome;
    response.level = answer.status >= 500   ? LogLevel::Error
                     : answer.status >= 400 ? LogLevel::Warn
                                            : LogLevel::Info;
    return response;
}

HttpResponse HttpRoutes::Call(const HttpRequest& request, const std::string& server,
                              const std::string& method) {
    HttpResponse response;
    AnswerOutput output(request.stream);
    bool clientGone = false;
    try {
        // The session may have ended since the check before routing.
        const std::optional<Caller> caller = target_.Identify(BearerToken(request));
        if (!caller)
            throw CallError(CallStatus::Unauthorized, std::string(kSessionInvalid));
        response.user = caller->user;
        if (!target_.KnowsServer(server))
            throw CallError(CallStatus::NotFound, "Servidor desconhecido");
        if (!target_.KnowsMethod(server, method))
            throw CallError(CallStatus::NotFound, "Método desconhecido");
        if (CountJsonValues(request.body) > kMaxRequestValues)
            return ErrorResponse(413, "Requisição com valores demais");
        // The lookup route has a body of its own; every other call is {"args":[...]}.
        const vcl::VariantArray args = server == kLookupServer ? DecodeLookupRequest(request.body)
                                                               : vcl::wire::DecodeRequest(request.body);
        if (const CallObserver observer = Observer())
            observer(server, method, args);
        const CallContext context{request.Header("idempotency-key"), request.body, &output};
        const vcl::wire::Answer answer = target_.Call(server, method, args, *caller, context);
        if (output.Completed()) {
            // A streamed answer is one of success: failures are answered whole or cut short.
            if (output.Started())
                response.delivery = Delivery::Streamed;
            else
                response.body = output.TakeWhole();
            response.outcome = "OK";
            return response;
        }
        response.body = vcl::wire::EncodeAnswer(answer);
        response.outcome = OutcomeOf(method, answer);
        return response;
    } catch (const AnswerNotDelivered& e) {
        response.outcome = e.what();
        response.level = LogLevel::Warn;
        clientGone = true;
    } catch (const CallError& e) {
        response = ErrorResponse(static_cast<int>(e.Status()), e.what());
    } catch (const vcl::EWireError& e) {
        // Past the first piece it can only be the answer's text that failed.
        if (output.Started())
            response =
                ErrorResponse(500, InternalFailure(std::string("answer cannot be encoded: ") + e.what()));
        else
            response = ErrorResponse(400, std::string("Requisição malformada: ") + e.what());
    } catch (const soci::soci_error& e) {
        response = ErrorResponse(500, DatabaseFailure(e.what()));
    } catch (const db::DbError& e) {
        response = ErrorResponse(500, DatabaseFailure(e.what()));
    } catch (const std::exception& e) {
        if (!output.Started())
            throw;
        response = ErrorResponse(500, InternalFailure(e.what()));
    }
    if (output.Started())
        CutShort(response, clientGone);
    if (const std::optional<Caller> caller = target_.Identify(BearerToken(request)))
        response.user = caller->user;
    return response;
}

HttpResponse HttpRoutes::Health() {
    const HealthReport report = target_.Health();
    HttpResponse response;
    if (report.ok) {
        response.body = R"({"status":"ok","schema":)" + std::to_string(report.schema) + R"(,"db":")" +
                        report.db + R"("})";
        response.outcome = "OK";
        return response;
    }
    response = ErrorResponse(503, report.reason, report.detail.empty() ? report.reason : report.detail);
    return response;
}

}  // namespace server
