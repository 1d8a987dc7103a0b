// Deterministic demo data: the same options always give the same rows.
#pragma once

#include <soci/soci.h>

#include <cstdint>

namespace db {

struct DemoOptions {
    int notes = 300;  // received notes; each has 1 to 6 items
    std::uint64_t seed = 20260101;
};

// Fills an empty schema in one transaction. DbError when the database
// already holds branches (nothing is written then).
void InsertDemoData(soci::session& session, const DemoOptions& options = {});

}  // namespace db
