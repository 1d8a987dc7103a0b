// Databases for the server benchmarks, built once into files under var/bench
// (named by size and schema version) and reused by later runs.
#pragma once

#include <string>

namespace bench {

inline constexpr int kGenerationNotes = 500;

// A SQLite database made by init-db with demo data, sized so that branch
// 0001's pending items of the whole demo year number about `items`.
// Nothing is analysed beyond what init-db does. Returns its connection text.
std::string DemoDatabaseForItems(long long items);

// A SQLite demo database plus kGenerationNotes received notes of branch 0001
// with ten items each (launch numbers 9000000001...), with stock for all.
// Returns the file's path: each run copies it, as GeraSaida changes it.
std::string GenerationTemplate();

}  // namespace bench
