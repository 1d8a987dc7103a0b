// Small builders shared by the host-library tests.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "vcl/data_packet.h"
#include "vcl/dataset.h"
#include "vlm/scripted_services.h"

namespace vlm::testing {

inline vcl::FieldDef Str(std::string name, int size) {
    return {std::move(name), vcl::FieldType::String, size};
}

// Declares the fields on the dataset and loads the rows.
inline void Load(vcl::TClientDataSet& dataSet, const std::vector<vcl::FieldDef>& fields,
                 std::initializer_list<std::initializer_list<vcl::Variant>> rows) {
    if (dataSet.Fields().empty()) {
        for (const auto& def : fields)
            dataSet.AddField(def);
    }
    vcl::PacketBuilder builder(fields);
    for (const auto& row : rows)
        builder.AppendRow(row);
    dataSet.SetData(vcl::Variant(builder.Finish()));
}

// "Error:text" / "Information:text" for each message shown, in order.
inline std::vector<std::string> MessageLog(const ScriptedServices& services) {
    std::vector<std::string> log;
    for (const auto& event : services.Messages()) {
        const char* kind = event.type == contracts::TMsgDlgType::Error         ? "Error"
                           : event.type == contracts::TMsgDlgType::Information ? "Information"
                                                                               : "Other";
        log.push_back(std::string(kind) + ":" + event.text);
    }
    return log;
}

}  // namespace vlm::testing
