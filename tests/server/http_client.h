// Calls the application server over HTTP as the screen's connection does.
#pragma once

#include <httplib.h>

#include <string>

#include "vcl/variant.h"
#include "vcl/wire.h"

namespace testsrv {

struct HttpResult {
    int status = 0;
    vcl::wire::Answer answer;  // when status is 200
    std::string error;         // the "error" text otherwise
};

class HttpClient {
public:
    // `token`: the session's bearer token, sent with every request.
    explicit HttpClient(int port, const std::string& token = {}) : client_("127.0.0.1", port) {
        client_.set_read_timeout(60, 0);
        if (!token.empty())
            client_.set_bearer_token_auth(token);
    }

    HttpResult Post(const std::string& path, const std::string& body) {
        HttpResult out;
        const auto response = client_.Post(path, body, "application/json");
        if (!response)
            return out;
        out.status = response->status;
        if (out.status == 200)
            out.answer = vcl::wire::DecodeAnswer(response->body);
        else
            out.error = vcl::wire::DecodeError(response->body);
        return out;
    }

    HttpResult Call(const std::string& server, const std::string& method, const vcl::VariantArray& args) {
        return Post("/" + server + "/" + method, vcl::wire::EncodeRequest(args));
    }

    HttpResult Remessa(const std::string& method, const vcl::VariantArray& args) {
        return Call("zrm90000.rdmRemessaAnalise", method, args);
    }

    int Get(const std::string& path) {
        const auto response = client_.Get(path);
        return response ? response->status : 0;
    }

private:
    httplib::Client client_;
};

}  // namespace testsrv
