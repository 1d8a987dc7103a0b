// Creating the application database: schema, and optionally demo data.
#pragma once

#include <soci/soci.h>

#include <string_view>

#include "db/demo_data.h"

namespace db {

struct InitOptions {
    bool demo = false;
    int notes = 300;  // received notes of the demo data
};

// Creates the missing tables and indexes; with `demo`, fills them with the
// deterministic demo data. DbError on failure.
void InitDatabase(std::string_view connect, const InitOptions& options = {});
void InitDatabase(soci::session& session, const InitOptions& options = {});

}  // namespace db
