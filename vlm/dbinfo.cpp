#include "vlm/dbinfo.h"

#include <string>

#include "vcl/data_packet.h"
#include "vcl/dataset.h"
#include "vlm/pesquisa.h"

namespace vlm {
namespace {

contracts::TextTable PacketTable(const vcl::Variant& packet) {
    contracts::TextTable table;
    if (!packet.IsPacket())
        return table;
    const vcl::DataPacket& data = packet.AsPacket();
    for (const vcl::FieldDef& def : data.Fields())
        table.columns.push_back(def.name);
    for (std::size_t row = 0; row < data.RowCount(); ++row) {
        std::vector<std::string> cells;
        for (std::size_t column = 0; column < data.Fields().size(); ++column) {
            cells.push_back(data.Value(row, column).AsString());
        }
        table.rows.push_back(std::move(cells));
    }
    return table;
}

}  // namespace

void TDbinfo::ShowDetail(std::string_view title, std::string_view subtitle, vcl::TClientDataSet* dataSet,
                         const vcl::Variant& packet, int /*alertKind*/, const vcl::TBitmap* /*image*/) const {
    const contracts::TextTable table =
        dataSet != nullptr && dataSet->Active() ? VisibleTable(*dataSet) : PacketTable(packet);
    services_.ShowDetail(std::string(title), std::string(subtitle), table);
}

}  // namespace vlm
