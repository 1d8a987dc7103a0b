#include "vlm/db_geral.h"

#include <soci/soci.h>

#include <iostream>

#include "db/connection.h"
#include "vcl/exceptions.h"

namespace vlm {
namespace {

// The connection text as the database layer reads it: the same parser and
// session set-up (busy timeout, foreign keys) as the server's sessions.
db::ConnectInfo ParsedConnect(const std::string& text) {
    try {
        return db::ParseConnect(text);
    } catch (const db::DbError& error) {
        std::cerr << "dtmDBGeral: " << error.what() << '\n';
        throw vcl::EDatabaseError(
            "Conexão ao banco de dados inválida (use sqlite3://... ou postgresql://...)");
    }
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
    const db::ConnectInfo info = ParsedConnect(connectString_);
    auto session = std::make_unique<soci::session>();
    try {
        db::Open(*session, info);
    } catch (const db::DbError& error) {
        std::cerr << "dtmDBGeral: " << error.what() << '\n';
        throw vcl::EDatabaseError("Não foi possível conectar ao banco de dados");
    }
    session_ = std::move(session);
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
    return ParsedConnect(connectString_).backend == db::Backend::Postgres ? "postgresql" : "sqlite3";
}

}  // namespace vlm
