#include "items_fixture.h"

#include "contracts/packets.h"

#include <cstdio>
#include <random>

namespace bench {

using vcl::FieldType;
using vcl::Variant;

std::vector<vcl::FieldDef> ItemFields() {
    return contracts::ItemsPacketFields();
}

namespace {
std::string Digits(std::uint64_t value, int width) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%0*llu", width, static_cast<unsigned long long>(value));
    return buf;
}
}  // namespace

vcl::DataPacket MakeItemsPacket(std::size_t notes, std::vector<NoteKey>* keys) {
    constexpr std::size_t kProducts = 5000;
    static const char* kWords[] = {"PARAFUSO", "SEXTAVADO", "ACO",   "INOX",    "CAIXA",  "PAPELAO",
                                   "LUVA",     "NITRILICA", "OLEO",  "MOTOR",   "FILTRO", "AR",
                                   "CABO",     "FLEXIVEL",  "TINTA", "ACRILICA"};
    static const char* kUnits[] = {"UN", "KG", "CX", "PC", "LT", "MT"};
    std::mt19937_64 random(20241209);
    std::vector<std::string> names(kProducts);
    for (auto& name : names) {
        for (int w = 0; w < 4; ++w)
            name.append(w ? " " : "").append(kWords[random() % 16]);
        name.append(" ").append(Digits(random() % 1000, 3)).append("MM");
    }
    vcl::PacketBuilder builder(ItemFields());
    builder.Reserve(notes * 20);
    const vcl::TDate base = vcl::TDate::FromYmd(2025, 1, 1);
    for (std::size_t n = 0; n < notes; ++n) {
        const std::string branch = Digits(1 + random() % 12, 4);
        const std::string launch = Digits(1000000 + n * 7, 10);
        if (keys)
            keys->push_back({branch, launch});
        const int items = 10 + static_cast<int>(random() % 21);
        for (int i = 1; i <= items; ++i) {
            const std::size_t product = random() % kProducts;
            const std::string code = Digits(100000 + product, 10);
            const double quantity = static_cast<double>(1 + random() % 5000) / 4.0;
            const double unit = static_cast<double>(100 + random() % 100000) / 100.0;
            const Variant row[] = {
                Variant("N"),
                Variant(branch),
                Variant(launch),
                Variant(Digits(static_cast<std::uint64_t>(i), 4)),
                Variant(code),
                Variant(std::string("01.02.")
                            .append(Digits(product % 97, 3))
                            .append(".")
                            .append(Digits(product, 5))),
                Variant(names[product]),
                Variant(quantity),
                Variant(quantity),
                Variant(unit),
                Variant(quantity * unit),
                Variant(branch),
                Variant(Digits(1 + random() % 5, 6)),
                Variant(Digits(1 + random() % 40, 6)),
                Variant(std::string("L").append(Digits(product, 5)).append("-").append(Digits(n / 500, 4))),
                Variant("0001"),
                Variant(vcl::TDateTime::FromDate({base.days + static_cast<int>(random() % 900)})),
                Variant(kUnits[product % 6]),
                Variant(code)};
            builder.AppendRow(row);
        }
    }
    return builder.Finish();
}

}  // namespace bench
