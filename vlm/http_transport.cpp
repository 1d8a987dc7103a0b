#include "vlm/http_transport.h"

#include <algorithm>

namespace vlm {

std::string BaseUrl(const std::string& host, int port, bool tls) {
    const std::string shown = host.find(':') != std::string::npos ? "[" + host + "]" : host;
    return (tls ? "https://" : "http://") + shown + ":" + std::to_string(port);
}

void ConfigureClient(httplib::Client& client, bool tls, const std::string& caFile, int timeoutSeconds) {
    if (tls) {
        client.enable_server_certificate_verification(true);
        if (!caFile.empty())
            client.set_ca_cert_path(caFile);
    }
    client.set_connection_timeout(std::min(timeoutSeconds, 10), 0);
    client.set_read_timeout(timeoutSeconds, 0);
    client.set_write_timeout(timeoutSeconds, 0);
}

TNetFailure FailureOf(httplib::Error error, bool readTimedOut) {
    switch (error) {
        case httplib::Error::Connection:
            return TNetFailure::Refused;
        case httplib::Error::ConnectionTimeout:
            return TNetFailure::ConnectTimeout;
        case httplib::Error::Read:
            return readTimedOut ? TNetFailure::NoAnswer : TNetFailure::ConnectionLost;
        case httplib::Error::Write:
            return TNetFailure::ConnectionLost;
        case httplib::Error::SSLConnection:
            return TNetFailure::SecureConnection;
        case httplib::Error::SSLLoadingCerts:
        case httplib::Error::SSLServerVerification:
            return TNetFailure::Certificate;
        case httplib::Error::Canceled:
            return TNetFailure::Cancelled;
        default:
            return TNetFailure::Other;
    }
}

}  // namespace vlm
