// zrm-server user add|passwd|disable|list: account administration. The
// password is read as one line from `in`, never from the command line.
#pragma once

#include <iosfwd>
#include <string>

namespace server {

enum class UserVerb { Add, Passwd, Disable, List };

struct UserCommand {
    UserVerb verb = UserVerb::List;
    std::string connect;      // SOCI connection text
    std::string user;         // all but List
    std::string branch;       // Add
    std::string name;         // Add, optional
    bool mayGenerate = true;  // Add: false with --no-generate
};

// Runs the command; messages go to `out` (results) and `err` (failures).
// Returns the process exit code: 0 done, 1 refused or failed.
int RunUserCommand(const UserCommand& command, std::istream& in, std::ostream& out, std::ostream& err);

// Shortest password accepted.
inline constexpr std::size_t kMinPasswordLength = 8;

}  // namespace server
