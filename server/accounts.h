// The USUARIO table: who may log in, in which branch, and whether they may
// generate remittances.
#pragma once

#include <soci/soci.h>

#include <optional>
#include <string>
#include <vector>

namespace server {

struct Account {
    std::string user;         // CDUSUARIO
    std::string name;         // NMUSUARIO, may be empty
    std::string branch;       // CDFILIAL
    std::string hash;         // DSHASH
    bool active = true;       // IDATIVO
    bool mayGenerate = true;  // IDGERA
};

std::optional<Account> FindAccount(soci::session& session, const std::string& user);
std::vector<Account> ListAccounts(soci::session& session);
// The caller checks that the user does not exist yet.
void InsertAccount(soci::session& session, const Account& account);
// False when there is no such user.
bool SetPasswordHash(soci::session& session, const std::string& user, const std::string& hash);
bool DisableAccount(soci::session& session, const std::string& user);
bool BranchExists(soci::session& session, const std::string& branch);

}  // namespace server
