#include "vcl/data_packet.h"

#include <cmath>

#include "vcl/exceptions.h"
#include "vcl/packet_store.h"

namespace vcl {

namespace {
constexpr std::string_view kTypeNames[] = {"string",  "fixedchar", "integer", "float",
                                           "boolean", "date",      "datetime"};

const std::shared_ptr<const PacketStore>& EmptyStore() {
    static const std::shared_ptr<const PacketStore> kEmpty = std::make_shared<const PacketStore>();
    return kEmpty;
}
}  // namespace

std::string_view FieldTypeName(FieldType type) {
    return kTypeNames[static_cast<int>(type)];
}

bool ParseFieldType(std::string_view name, FieldType& out) {
    for (std::size_t i = 0; i < std::size(kTypeNames); ++i) {
        if (kTypeNames[i] == name) {
            out = static_cast<FieldType>(i);
            return true;
        }
    }
    return false;
}

DataPacket::DataPacket() : store_(EmptyStore()) {}
DataPacket::DataPacket(std::shared_ptr<const PacketStore> store)
    : store_(store ? std::move(store) : EmptyStore()) {}

const std::vector<FieldDef>& DataPacket::Fields() const {
    return store_->fields;
}
int DataPacket::FieldIndex(std::string_view name) const {
    return store_->FieldIndex(name);
}
std::size_t DataPacket::RowCount() const {
    return store_->rows;
}
Variant DataPacket::Value(std::size_t row, std::size_t column) const {
    return store_->columns[column]->Value(row);
}

bool operator==(const DataPacket& a, const DataPacket& b) {
    if (a.store_ == b.store_)
        return true;
    const PacketStore& x = *a.store_;
    const PacketStore& y = *b.store_;
    if (x.fields != y.fields || x.rows != y.rows)
        return false;
    for (std::size_t c = 0; c < x.columns.size(); ++c) {
        const Column& cx = *x.columns[c];
        const Column& cy = *y.columns[c];
        for (std::size_t r = 0; r < x.rows; ++r)
            if (!cx.CellEquals(r, cy, r))
                return false;
    }
    return true;
}

PacketBuilder::PacketBuilder(std::vector<FieldDef> fields)
    : store_(std::make_unique<PacketStore>(std::move(fields))) {}
PacketBuilder::~PacketBuilder() = default;
PacketBuilder::PacketBuilder(PacketBuilder&&) noexcept = default;
PacketBuilder& PacketBuilder::operator=(PacketBuilder&&) noexcept = default;

void PacketBuilder::Reserve(std::size_t rows) {
    for (auto& column : store_->columns)
        column->Reserve(rows);
}

void PacketBuilder::AppendRow(std::span<const Variant> values) {
    if (values.size() != store_->columns.size())
        throw EConvertError("Registro com " + std::to_string(values.size()) + " valores para " +
                            std::to_string(store_->columns.size()) + " campos");
    // Convert every value first so that a failure leaves the builder unchanged.
    std::vector<std::int64_t> raws(values.size());
    std::vector<bool> present(values.size());
    for (std::size_t i = 0; i < values.size(); ++i) {
        const Column& column = *store_->columns[i];
        if (!column.IsString()) {
            present[i] = ConvertToRaw(column.Def().type, values[i], raws[i]);
        } else if (values[i].IsArray() || values[i].IsPacket()) {
            throw EConvertError("O campo " + column.Def().name + " não aceita uma lista nem um pacote");
        }
    }
    for (std::size_t i = 0; i < values.size(); ++i) {
        Column& column = *store_->columns[i];
        if (column.IsString()) {
            column.Append(values[i]);
        } else if (present[i]) {
            column.AppendRaw(raws[i]);
        } else {
            column.AppendNull();
        }
    }
    ++store_->rows;
}

void PacketBuilder::AppendRow(std::initializer_list<Variant> values) {
    AppendRow(std::span<const Variant>(values.begin(), values.size()));
}

void CheckCellFits(const FieldDef& def, const Cell& cell) {
    const bool fits = cell.kind() == Cell::Kind::Null ||
                      (cell.kind() == Cell::Kind::Text && IsStringType(def.type)) ||
                      (cell.kind() == Cell::Kind::Float && def.type == FieldType::Float) ||
                      (cell.kind() == Cell::Kind::DateTime && def.type == FieldType::DateTime);
    if (!fits)
        throw EConvertError("O campo " + def.name + " não aceita este valor");
    if (cell.kind() == Cell::Kind::Float && !std::isfinite(cell.number()))
        throw EConvertError("Valor numérico inválido");
}

void PacketBuilder::AppendCells(std::span<const Cell> cells) {
    auto& columns = store_->columns;
    if (cells.size() != columns.size())
        throw EConvertError("Registro com " + std::to_string(cells.size()) + " valores para " +
                            std::to_string(columns.size()) + " campos");
    for (std::size_t i = 0; i < cells.size(); ++i)
        CheckCellFits(columns[i]->Def(), cells[i]);
    for (std::size_t i = 0; i < cells.size(); ++i) {
        Column& column = *columns[i];
        switch (cells[i].kind()) {
            case Cell::Kind::Null:
                column.AppendNull();
                break;
            case Cell::Kind::Text:
                column.AppendText(cells[i].text());
                break;
            case Cell::Kind::Float:
                column.AppendFloat(cells[i].number() == 0 ? 0.0 : cells[i].number());
                break;
            case Cell::Kind::DateTime:
                column.AppendRaw(cells[i].seconds());
                break;
        }
    }
    ++store_->rows;
}

DataPacket PacketBuilder::Finish() {
    auto store = std::shared_ptr<const PacketStore>(std::move(store_));
    store_ = std::make_unique<PacketStore>(store->fields);
    return DataPacket(std::move(store));
}

}  // namespace vcl
