// The demo database's accounts: one user per branch, "demo" followed by the
// branch code, allowed to generate. Their passwords are made at random when
// the demo data is created and printed once; only their hashes are kept.
#pragma once

#include <iosfwd>
#include <string_view>

namespace server {

// Adds the users the database lacks and prints "USER BRANCH PASSWORD" for
// each one added. db::DbError or soci::soci_error on a database failure.
void AddDemoUsers(std::string_view connect, std::ostream& out);

}  // namespace server
