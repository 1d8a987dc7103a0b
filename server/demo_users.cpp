#include "server/demo_users.h"

#include <sodium.h>

#include <ostream>
#include <string>
#include <vector>

#include "db/connection.h"
#include "server/accounts.h"
#include "server/password_hash.h"

namespace server {

namespace {

// 12 characters from an alphabet without look-alikes (about 60 bits).
std::string RandomPassword() {
    static constexpr std::string_view kAlphabet = "abcdefghjkmnpqrstuvwxyzACDEFGHJKLMNPQRSTUVWXYZ23456789";
    std::string password;
    for (int i = 0; i < 12; ++i)
        password += kAlphabet[randombytes_uniform(static_cast<std::uint32_t>(kAlphabet.size()))];
    return password;
}

}  // namespace

void AddDemoUsers(std::string_view connect, std::ostream& out) {
    InitSodium();
    soci::session session;
    db::Open(session, connect);
    std::vector<std::string> branches;
    soci::rowset<std::string> rows = session.prepare << "SELECT CDFILIAL FROM FILIAL ORDER BY CDFILIAL";
    for (const auto& branch : rows)
        branches.push_back(branch);
    db::WriteTransaction transaction(session);
    std::vector<std::pair<std::string, std::string>> added;  // user, password
    for (const auto& branch : branches) {
        const std::string user = "demo" + branch;
        if (FindAccount(session, user))
            continue;
        std::string password = RandomPassword();
        InsertAccount(session,
                      Account{user, "Demonstração " + branch, branch, HashPassword(password), true, true});
        added.emplace_back(user, std::move(password));
    }
    transaction.Commit();
    if (!added.empty())
        out << "demo users (user, branch, password; shown only now):\n";
    for (auto& [user, password] : added) {
        out << "  " << user << ' ' << user.substr(4) << ' ' << password << '\n';
        sodium_memzero(password.data(), password.size());
    }
}

}  // namespace server
