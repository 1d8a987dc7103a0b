// Databases for the server benchmarks, built once into files and reused.
#pragma once

#include <string>

namespace bench {

// A SQLite demo database holding about one million received items.
// Returns its connection text.
std::string MillionItemsDatabase();

// A SQLite demo database plus 100 received notes of branch 0001 with ten
// items each (launch numbers 9000000001...), with stock for all of them.
// Returns the file's path: each run copies it, as GeraSaida changes it.
std::string GenerationTemplate();

}  // namespace bench
