// Fixed reference data of the demo database: branches, series, operation
// types, suppliers and products.
#pragma once

#include <string>
#include <vector>

namespace db::demo {

struct Branch {
    const char* code;
    const char* name;
    const char* company;
    const char* controlsStock;  // "S" or "N"
    int weight;                 // share of the received notes, in percent
};

struct OutSeries {
    const char* branch;
    const char* series;
    const char* company;
    const char* isDefault;  // "S" or "N"
    int lastNumber;
};

struct Code {
    const char* code;
    const char* name;
};

struct OperationType {
    const char* code;
    const char* name;
    const char* entryOrExit;  // IDENTRSAIDOP
    const char* originKind;   // IDORIGDESTOP
};

struct Product {
    const char* name;
    const char* unit;
    bool lotControlled;
    bool fractional;  // sold by weight or length: quantities with decimals
};

const std::vector<Branch>& Branches();
const std::vector<OutSeries>& OutSeriesList();
const std::vector<Code>& EntrySeries();
const std::vector<OperationType>& OperationTypes();
const std::vector<std::string>& CompanyNames();
const std::vector<std::string>& PersonNames();
const std::vector<Product>& Products();

}  // namespace db::demo
