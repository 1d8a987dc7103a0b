#include "vlm/remote_lookup.h"

#include "contracts/server_api.h"
#include "vcl/exceptions.h"
#include "vcl/wire.h"

namespace vlm {

std::string EncodeLookupRequest(const std::string& sql, const std::vector<TLookupParam>& params) {
    std::string body = R"({"sql":)" + vcl::wire::Encode(vcl::Variant(sql)) + R"(,"params":{)";
    bool first = true;
    for (const TLookupParam& param : params) {
        if (!first)
            body += ',';
        first = false;
        body += vcl::wire::Encode(vcl::Variant(param.name)) + ':' +
                (param.value ? vcl::wire::Encode(vcl::Variant(*param.value)) : std::string("null"));
    }
    return body + "}}";
}

TRemoteLookup MakeRemoteLookup(TNetConnection& connection) {
    connection.ServerName = std::string(contracts::kLookupServer);
    return [&connection](const std::string& sql, const std::vector<TLookupParam>& params) {
        vcl::wire::Answer answer =
            connection.Post(contracts::kLookupMethod, EncodeLookupRequest(sql, params));
        if (!answer.result.IsPacket())
            throw vcl::EWireError("a resposta da consulta não traz dados");
        return answer.result.AsPacket();
    };
}

}  // namespace vlm
