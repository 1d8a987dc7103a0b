#include "vlm/db_geral.h"

#include <soci/postgresql/soci-postgresql.h>
#include <soci/soci.h>
#include <soci/sqlite3/soci-sqlite3.h>

#include "vcl/exceptions.h"

namespace vlm {
namespace {

struct Backend {
    const soci::backend_factory* factory;
    std::string name;
    std::string parameters;
};

// The backend is linked in, so the connection never depends on loading one at run time.
Backend ParseConnectString(const std::string& text) {
    const auto scheme = text.find("://");
    const std::string name = scheme == std::string::npos ? std::string() : text.substr(0, scheme);
    const std::string rest = scheme == std::string::npos ? text : text.substr(scheme + 3);
    if (name == "sqlite3")
        return {soci::factory_sqlite3(), name, rest};
    if (name == "postgresql")
        return {soci::factory_postgresql(), name, rest};
    throw vcl::EDatabaseError("Conexão ao banco de dados inválida (use sqlite3://... ou postgresql://...): " +
                              text);
}

}  // namespace

TdtmDBGeral::TdtmDBGeral(std::string connectString) : connectString_(std::move(connectString)) {}

TdtmDBGeral::~TdtmDBGeral() = default;

void TdtmDBGeral::SetConnectString(std::string connectString) {
    Close();
    connectString_ = std::move(connectString);
}

void TdtmDBGeral::Open() {
    if (session_)
        return;
    if (remote_)
        throw vcl::EDatabaseError("Esta estação não acessa o banco de dados diretamente");
    if (connectString_.empty())
        throw vcl::EDatabaseError("Banco de dados não configurado");
    const Backend backend = ParseConnectString(connectString_);
    try {
        session_ = std::make_unique<soci::session>(*backend.factory, backend.parameters);
    } catch (const soci::soci_error& error) {
        throw vcl::EDatabaseError("Não foi possível conectar ao banco de dados: " +
                                  std::string(error.what()));
    }
}

void TdtmDBGeral::Close() {
    session_.reset();
}

soci::session& TdtmDBGeral::Session() {
    Open();
    return *session_;
}

void TdtmDBGeral::SetRemote(TRemoteLookup lookup) {
    Close();
    connectString_.clear();
    remote_ = std::move(lookup);
}

vcl::DataPacket TdtmDBGeral::RunRemote(const std::string& sql,
                                       const std::vector<TLookupParam>& params) const {
    return remote_(sql, params);
}

std::string TdtmDBGeral::BackendName() const {
    return ParseConnectString(connectString_).name;
}

}  // namespace vlm
