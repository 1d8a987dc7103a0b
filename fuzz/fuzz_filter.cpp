// Feeds arbitrary filter texts to a small open dataset and walks what it shows.
#include <cstddef>
#include <cstdint>
#include <string>

#include "vcl/dataset.h"
#include "vcl/exceptions.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vcl::TComponent root(nullptr, "frm");
    auto& cds = root.Make<vcl::TClientDataSet>("cdsItens");
    cds.AddField({"CDFILIAL", vcl::FieldType::String, 4});
    cds.AddField({"NRLANCTONF", vcl::FieldType::String, 10});
    cds.AddField({"QT", vcl::FieldType::Float, 0});
    cds.AddField({"DT", vcl::FieldType::Date, 0});
    vcl::PacketBuilder builder({{"CDFILIAL", vcl::FieldType::String, 4},
                                {"NRLANCTONF", vcl::FieldType::String, 10},
                                {"QT", vcl::FieldType::Float, 0},
                                {"DT", vcl::FieldType::Date, 0}});
    builder.AppendRow({vcl::Variant("0001"), vcl::Variant("O'B"), vcl::Variant(1.5), vcl::Variant::Null()});
    builder.AppendRow({vcl::Variant("0002"), vcl::Variant(""), vcl::Variant::Null(),
                       vcl::Variant(vcl::TDate::FromYmd(2024, 1, 2))});
    builder.AppendRow({vcl::Variant::Null(), vcl::Variant("1"), vcl::Variant(2.0), vcl::Variant::Null()});
    cds.SetData(vcl::Variant(builder.Finish()));
    const std::string text(reinterpret_cast<const char*>(data), size);
    try {
        cds.SetFilter(text);
        cds.SetFiltered(true);
    } catch (const vcl::EDatabaseError&) {
        return 0;
    }
    int shown = 0;
    for (cds.First(); !cds.Eof(); cds.Next())
        ++shown;
    if (shown != cds.RecordCount() || shown > 3)
        __builtin_trap();
    cds.Append();
    cds.FieldByName("CDFILIAL").SetAsString(text);
    cds.Post();
    cds.SetFiltered(false);
    if (cds.RecordCount() != 4)
        __builtin_trap();
    return 0;
}
