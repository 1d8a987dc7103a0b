#include "server/accounts.h"

namespace server {

namespace {

constexpr const char* kColumns = "CDUSUARIO, NMUSUARIO, CDFILIAL, DSHASH, IDATIVO, IDGERA";

Account FromRow(const soci::row& row) {
    Account account;
    account.user = row.get<std::string>(0);
    account.name = row.get_indicator(1) == soci::i_ok ? row.get<std::string>(1) : std::string();
    account.branch = row.get<std::string>(2);
    account.hash = row.get<std::string>(3);
    account.active = row.get<std::string>(4) == "S";
    account.mayGenerate = row.get<std::string>(5) == "S";
    return account;
}

std::string Flag(bool on) {
    return on ? "S" : "N";
}

long long Updated(soci::statement& statement) {
    statement.execute(true);
    return statement.get_affected_rows();
}

}  // namespace

std::optional<Account> FindAccount(soci::session& session, const std::string& user) {
    soci::rowset<soci::row> rows =
        (session.prepare << "SELECT " << kColumns << " FROM USUARIO WHERE CDUSUARIO = :u", soci::use(user));
    for (const auto& row : rows)
        return FromRow(row);
    return std::nullopt;
}

std::vector<Account> ListAccounts(soci::session& session) {
    std::vector<Account> out;
    soci::rowset<soci::row> rows =
        (session.prepare << "SELECT " << kColumns << " FROM USUARIO ORDER BY CDUSUARIO");
    for (const auto& row : rows)
        out.push_back(FromRow(row));
    return out;
}

void InsertAccount(soci::session& session, const Account& account) {
    soci::indicator nameIndicator = account.name.empty() ? soci::i_null : soci::i_ok;
    const std::string active = Flag(account.active), generate = Flag(account.mayGenerate);
    session << "INSERT INTO USUARIO (CDUSUARIO, NMUSUARIO, CDFILIAL, DSHASH, IDATIVO, IDGERA)"
               " VALUES (:u, :n, :b, :h, :a, :g)",
        soci::use(account.user), soci::use(account.name, nameIndicator), soci::use(account.branch),
        soci::use(account.hash), soci::use(active), soci::use(generate);
}

bool SetPasswordHash(soci::session& session, const std::string& user, const std::string& hash) {
    soci::statement update = (session.prepare << "UPDATE USUARIO SET DSHASH = :h WHERE CDUSUARIO = :u",
                              soci::use(hash), soci::use(user));
    return Updated(update) > 0;
}

bool DisableAccount(soci::session& session, const std::string& user) {
    soci::statement update =
        (session.prepare << "UPDATE USUARIO SET IDATIVO = 'N' WHERE CDUSUARIO = :u", soci::use(user));
    return Updated(update) > 0;
}

bool BranchExists(soci::session& session, const std::string& branch) {
    int count = 0;
    session << "SELECT COUNT(*) FROM FILIAL WHERE CDFILIAL = :b", soci::use(branch), soci::into(count);
    return count > 0;
}

}  // namespace server
