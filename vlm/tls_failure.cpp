#include "vlm/tls_failure.h"

namespace vlm {

std::string TlsFailureText(httplib::Error error, const std::string& host) {
    switch (error) {
        case httplib::Error::SSLServerVerification:
            return "O certificado do servidor de aplicação " + host +
                   " não foi confirmado por uma autoridade confiável (verifique --ca)";
        case httplib::Error::SSLConnection:
            return "Não foi possível estabelecer uma conexão segura com o servidor de aplicação " + host;
        case httplib::Error::SSLLoadingCerts:
            return "Não foi possível ler os certificados de autoridade para conectar a " + host;
        default:
            return {};
    }
}

}  // namespace vlm
