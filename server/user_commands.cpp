#include "server/user_commands.h"

#include <sodium.h>

#include <istream>
#include <ostream>

#include "db/connection.h"
#include "db/schema_version.h"
#include "server/accounts.h"
#include "server/arguments.h"
#include "server/password_hash.h"

namespace server {

namespace {

constexpr std::size_t kMaxUserChars = 20;
constexpr std::size_t kMaxNameChars = 60;
constexpr std::size_t kMaxPasswordBytes = 1024;

// A user name: 1 to 20 characters, no blanks or control characters.
bool ValidUserName(const std::string& user) {
    if (user.empty() || CharCount(user) > kMaxUserChars)
        return false;
    for (const char c : user) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= ' ' || byte == 0x7F)
            return false;
    }
    return true;
}

// One line of standard input, without its line end; wiped by the caller.
bool ReadPassword(std::istream& in, std::string& password, std::ostream& err) {
    if (!std::getline(in, password)) {
        err << "zrm-server: no password on standard input\n";
        return false;
    }
    if (!password.empty() && password.back() == '\r')
        password.pop_back();
    if (password.size() < kMinPasswordLength) {
        err << "zrm-server: the password needs at least " << kMinPasswordLength << " characters\n";
        return false;
    }
    if (password.size() > kMaxPasswordBytes) {
        err << "zrm-server: the password is longer than " << kMaxPasswordBytes << " bytes\n";
        return false;
    }
    return true;
}

struct Wiped {
    std::string text;
    ~Wiped() { sodium_memzero(text.data(), text.size()); }
};

int Add(soci::session& session, const UserCommand& command, std::istream& in, std::ostream& out,
        std::ostream& err) {
    if (command.branch.empty() || CharCount(command.branch) > 4) {
        err << "zrm-server: --branch takes a branch code of up to 4 characters\n";
        return 1;
    }
    if (CharCount(command.name) > kMaxNameChars) {
        err << "zrm-server: --name takes at most " << kMaxNameChars << " characters\n";
        return 1;
    }
    if (!BranchExists(session, command.branch)) {
        err << "zrm-server: branch " << command.branch << " does not exist\n";
        return 1;
    }
    if (FindAccount(session, command.user)) {
        err << "zrm-server: user " << command.user << " already exists\n";
        return 1;
    }
    Wiped password;
    if (!ReadPassword(in, password.text, err))
        return 1;
    InsertAccount(session, Account{command.user, command.name, command.branch, HashPassword(password.text),
                                   true, command.mayGenerate});
    out << "user " << command.user << " added (branch " << command.branch
        << (command.mayGenerate ? ")\n" : ", may not generate)\n");
    return 0;
}

int Passwd(soci::session& session, const UserCommand& command, std::istream& in, std::ostream& out,
           std::ostream& err) {
    if (!FindAccount(session, command.user)) {
        err << "zrm-server: no user " << command.user << "\n";
        return 1;
    }
    Wiped password;
    if (!ReadPassword(in, password.text, err))
        return 1;
    SetPasswordHash(session, command.user, HashPassword(password.text));
    out << "password of " << command.user << " changed\n";
    return 0;
}

int Disable(soci::session& session, const UserCommand& command, std::ostream& out, std::ostream& err) {
    if (!DisableAccount(session, command.user)) {
        err << "zrm-server: no user " << command.user << "\n";
        return 1;
    }
    out << "user " << command.user << " disabled\n";
    return 0;
}

int List(soci::session& session, std::ostream& out) {
    for (const Account& account : ListAccounts(session)) {
        out << account.user << '\t' << account.branch << '\t' << (account.active ? "active" : "disabled")
            << '\t' << (account.mayGenerate ? "generates" : "no-generate") << '\t' << account.name << '\n';
    }
    return 0;
}

}  // namespace

int RunUserCommand(const UserCommand& command, std::istream& in, std::ostream& out, std::ostream& err) {
    if (command.verb != UserVerb::List && !ValidUserName(command.user)) {
        err << "zrm-server: a user name has 1 to " << kMaxUserChars << " characters and no blanks\n";
        return 1;
    }
    try {
        soci::session session;
        db::Open(session, command.connect);
        db::RequireCurrentSchema(session, command.connect);
        switch (command.verb) {
            case UserVerb::Add:
                return Add(session, command, in, out, err);
            case UserVerb::Passwd:
                return Passwd(session, command, in, out, err);
            case UserVerb::Disable:
                return Disable(session, command, out, err);
            case UserVerb::List:
                return List(session, out);
        }
    } catch (const db::DbError& e) {
        err << "zrm-server: " << e.what() << "\n";
    } catch (const soci::soci_error& e) {
        err << "zrm-server: database failure: " << e.what() << "\n";
    }
    return 1;
}

}  // namespace server
