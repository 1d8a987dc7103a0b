#include "server/dispatch.h"

#include <string>

#include "contracts/server_api.h"
#include "server/call_error.h"
#include "server/remessa_methods.h"

namespace server {

namespace {

using Method = vcl::wire::Answer (*)(soci::session&, const vcl::VariantArray&, const Caller&,
                                     const CallGuard&, AnswerOutput*);

// Methods that read only, whoever calls them.
template <vcl::wire::Answer (*Read)(soci::session&, const vcl::VariantArray&)>
vcl::wire::Answer AnyCaller(soci::session& session, const vcl::VariantArray& args, const Caller&,
                            const CallGuard&, AnswerOutput*) {
    return Read(session, args);
}

// The method that may stream its answer, whoever calls it.
vcl::wire::Answer StreamedNotas(soci::session& session, const vcl::VariantArray& args, const Caller&,
                                const CallGuard& guard, AnswerOutput* output) {
    return GetNotasFiscais(session, args, guard, output);
}

vcl::wire::Answer Generate(soci::session& session, const vcl::VariantArray& args, const Caller& caller,
                           const CallGuard& guard, AnswerOutput*) {
    return GeraSaida(session, args, caller, guard);
}

struct Route {
    std::string_view server;
    std::string_view method;
    Method run;
};

// The stock server exists for the screen's second connection; it has no
// methods the module calls.
constexpr Route kRoutes[] = {
    {contracts::kRemessaServer, contracts::kGetNotasFiscais, &StreamedNotas},
    {contracts::kRemessaServer, contracts::kGetSerie, &AnyCaller<&GetSerie>},
    {contracts::kRemessaServer, contracts::kGeraSaida, &Generate},
};

const Route* Find(std::string_view server, std::string_view method) {
    for (const auto& route : kRoutes) {
        if (route.server == server && route.method == method)
            return &route;
    }
    return nullptr;
}

}  // namespace

bool IsKnownServer(std::string_view server) {
    return server == contracts::kRemessaServer || server == contracts::kEstoqueServer;
}

bool IsKnownMethod(std::string_view server, std::string_view method) {
    return Find(server, method) != nullptr;
}

vcl::wire::Answer Dispatch(soci::session& session, std::string_view server, std::string_view method,
                           const vcl::VariantArray& args, const Caller& caller, const CallGuard& guard,
                           AnswerOutput* output) {
    if (!IsKnownServer(server))
        throw CallError(CallStatus::NotFound, "unknown server " + std::string(server));
    const Route* route = Find(server, method);
    if (!route)
        throw CallError(CallStatus::NotFound,
                        "unknown method " + std::string(method) + " of " + std::string(server));
    return route->run(session, args, caller, guard, output);
}

}  // namespace server
