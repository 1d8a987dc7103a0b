#include "vlm/net_failure.h"

namespace vlm {

std::string NetFailureText(TNetFailure kind, std::string_view host, int port) {
    const std::string server = "o servidor de aplicação em " + std::string(host) + ":" + std::to_string(port);
    switch (kind) {
        case TNetFailure::InvalidAddress:
            return "Endereço do servidor de aplicação inválido: " + std::string(host) + ":" +
                   std::to_string(port) + ".";
        case TNetFailure::Refused:
            return "Não foi possível conectar com " + server + ": a conexão foi recusada.";
        case TNetFailure::ConnectTimeout:
            return "Não foi possível conectar com " + server + ": o tempo de espera pela conexão se esgotou.";
        case TNetFailure::NoAnswer:
            return "Sem resposta d" + server + ": o tempo de espera pela resposta se esgotou.";
        case TNetFailure::ConnectionLost:
            return "A conexão com " + server + " foi interrompida antes da resposta.";
        case TNetFailure::Unavailable:
            return "O servidor de aplicação em " + std::string(host) + ":" + std::to_string(port) +
                   " não está disponível.";
        case TNetFailure::SecureConnection:
            return "Não foi possível estabelecer uma conexão segura com " + server + ".";
        case TNetFailure::Certificate:
            return "O certificado d" + server + " não foi aceito.";
        case TNetFailure::SessionExpired:
            return "A sessão n" + server + " expirou. Entre novamente.";
        case TNetFailure::Cancelled:
            return "Operação cancelada pelo usuário";
        case TNetFailure::Other:
            break;
    }
    return "Falha na comunicação com " + server + ".";
}

}  // namespace vlm
