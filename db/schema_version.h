// Schema versions: which version a database holds, the numbered migrations
// that bring an older one up to date, and the check that a program runs only
// on the version it was built for.
#pragma once

#include <soci/soci.h>

#include <string_view>

namespace db {

// The version this build creates and serves.
inline constexpr int kSchemaVersion = 4;

// 0 for an empty database; 1 for the tables of version 1 without a version
// table (databases made before versions existed); else the highest version
// recorded in VERSAOESQUEMA.
int SchemaVersion(soci::session& session);

struct Upgrade {
    int from = 0;
    int to = 0;
};

// An empty database gets the latest schema at once. An older one gets the
// migrations after its version, in order, up to `target`, each in its own
// transaction together with its VERSAOESQUEMA row; a migration that fails
// leaves the database at the version before it. Concurrent upgrades of one
// database apply each migration once. DbError for a version newer than
// this build knows, or a failure.
Upgrade UpgradeSchema(soci::session& session, int target = kSchemaVersion);

// DbError unless the database holds version kSchemaVersion; the message (in
// Portuguese, for the person running the program) names both versions and
// the command that fixes it, with `connect` shown without its password.
void RequireCurrentSchema(soci::session& session, std::string_view connect);

}  // namespace db
