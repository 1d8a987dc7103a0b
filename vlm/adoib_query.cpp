#include "vlm/adoib_query.h"

#include <soci/soci.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <ctime>
#include <typeinfo>

#include "contracts/lookups.h"
#include "vcl/data_packet.h"
#include "vcl/exceptions.h"
#include "vlm/db_geral.h"
#include "vlm/sql_params.h"

namespace vlm {
namespace {

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) ==
                      std::toupper(static_cast<unsigned char>(y));
           });
}

std::string Joined(const std::vector<std::string>& lines) {
    return contracts::JoinedSql(lines);
}

std::string FloatText(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.15g", value);
    return text;
}

vcl::TDate DateOf(const std::tm& tm) {
    return vcl::TDate::FromYmd(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday);
}

// One cell of a result row, as a value of the column's natural type (a
// string-typed field receives it as text).
vcl::Variant CellValue(const soci::row& row, std::size_t column, vcl::FieldType fieldType) {
    if (row.get_indicator(column) == soci::i_null)
        return vcl::Variant::Null();
    const bool asText = fieldType == vcl::FieldType::String || fieldType == vcl::FieldType::FixedChar;
    switch (row.get_properties(column).get_data_type()) {
        case soci::dt_string:
            return vcl::Variant(row.get<std::string>(column));
        case soci::dt_double: {
            const double value = row.get<double>(column);
            return asText ? vcl::Variant(FloatText(value)) : vcl::Variant(value);
        }
        case soci::dt_integer: {
            const int value = row.get<int>(column);
            return asText ? vcl::Variant(std::to_string(value)) : vcl::Variant(value);
        }
        case soci::dt_long_long: {
            const auto value = static_cast<std::int64_t>(row.get<long long>(column));
            return asText ? vcl::Variant(std::to_string(value)) : vcl::Variant(value);
        }
        case soci::dt_unsigned_long_long: {
            const auto value = static_cast<std::int64_t>(row.get<unsigned long long>(column));
            return asText ? vcl::Variant(std::to_string(value)) : vcl::Variant(value);
        }
        case soci::dt_date: {
            const vcl::TDate date = DateOf(row.get<std::tm>(column));
            return asText ? vcl::Variant(date.ToBr()) : vcl::Variant(date);
        }
        default:
            throw vcl::EDatabaseError("coluna '" + row.get_properties(column).get_name() +
                                      "' de tipo não suportado");
    }
}

vcl::FieldType TypeOfColumn(soci::data_type type) {
    switch (type) {
        case soci::dt_double:
            return vcl::FieldType::Float;
        case soci::dt_integer:
        case soci::dt_long_long:
        case soci::dt_unsigned_long_long:
            return vcl::FieldType::Integer;
        case soci::dt_date:
            return vcl::FieldType::DateTime;
        default:
            return vcl::FieldType::String;
    }
}

// The rows the server answered, in the declared fields (matched by name;
// a string field takes any value as its text). An empty answer may carry
// no columns at all.
vcl::DataPacket ConformToFields(const vcl::DataPacket& answered, const std::vector<vcl::FieldDef>& defs) {
    vcl::PacketBuilder builder(defs);
    if (answered.RowCount() == 0)
        return builder.Finish();
    std::vector<std::size_t> columnOf;
    for (const vcl::FieldDef& def : defs) {
        const auto& fields = answered.Fields();
        std::size_t c = 0;
        while (c < fields.size() && !EqualsNoCase(fields[c].name, def.name))
            ++c;
        if (c == fields.size())
            throw vcl::EDatabaseError("campo '" + def.name + "' não encontrado no resultado");
        columnOf.push_back(c);
    }
    std::vector<vcl::Variant> cells(defs.size());
    for (std::size_t row = 0; row < answered.RowCount(); ++row) {
        for (std::size_t f = 0; f < defs.size(); ++f) {
            vcl::Variant value = answered.Value(row, columnOf[f]);
            const bool asText =
                defs[f].type == vcl::FieldType::String || defs[f].type == vcl::FieldType::FixedChar;
            cells[f] = asText && !value.IsEmpty() ? vcl::Variant(value.AsString()) : std::move(value);
        }
        builder.AppendRow(cells);
    }
    return builder.Finish();
}

}  // namespace

TADOIBQuery::TADOIBQuery(vcl::TComponent* owner, std::string name, TdtmDBGeral& database)
    : vcl::TComponent(owner, std::move(name)),
      Query(Make<vcl::TClientDataSet>("Query")),
      database_(database) {}

TADOIBQuery::~TADOIBQuery() = default;

TADOIBStringField& TADOIBQuery::AddStringField(std::string name, int size, std::string displayLabel,
                                               bool visible) {
    vcl::TField& field = Query.AddField(vcl::FieldDef{std::move(name), vcl::FieldType::String, size});
    field.DisplayLabel = std::move(displayLabel);
    field.Visible = visible;
    return field;
}

std::vector<std::string> TADOIBQuery::ParamNames() const {
    return sql::ParamNames(Joined(SQL.empty() ? SQL_IB : SQL));
}

void TADOIBQuery::SyncParams() {
    std::vector<std::unique_ptr<TParam>> synced;
    for (std::string& name : ParamNames()) {
        auto kept = std::find_if(params_.begin(), params_.end(),
                                 [&](const auto& p) { return p && p->Name() == name; });
        synced.push_back(kept != params_.end() ? std::move(*kept)
                                               : std::make_unique<TParam>(std::move(name)));
    }
    params_ = std::move(synced);
}

TParam& TADOIBQuery::ParamByName(std::string_view name) {
    SyncParams();
    for (const auto& param : params_) {
        if (EqualsNoCase(param->Name(), name))
            return *param;
    }
    throw vcl::EDatabaseError(Name() + ": parâmetro '" + std::string(name) + "' não encontrado");
}

void TADOIBQuery::Open() {
    if (Query.Active())
        return;
    SyncParams();
    if (database_.Remote()) {
        OpenRemote();
        return;
    }
    const sql::BindableSql bindable = sql::MakeBindable(Joined(SQL.empty() ? SQL_IB : SQL));

    // Storage that outlives the statement: one value and indicator per occurrence.
    const std::size_t count = bindable.occurrences.size();
    std::vector<std::string> values(count);
    std::vector<soci::indicator> indicators(count, soci::i_ok);
    std::vector<std::string> names(count);
    for (std::size_t i = 0; i < count; ++i) {
        names[i] = sql::PlaceholderName(i);
        const TParam& param = ParamByName(bindable.occurrences[i]);
        if (param.IsNull()) {
            indicators[i] = soci::i_null;
        } else {
            values[i] = *param.Value();
        }
    }

    vcl::DataPacket packet;
    try {
        soci::row row;
        soci::statement statement(database_.Session());
        statement.exchange(soci::into(row));
        for (std::size_t i = 0; i < count; ++i)
            statement.exchange(soci::use(values[i], indicators[i], names[i]));
        statement.alloc();
        statement.prepare(bindable.text);
        statement.define_and_bind();
        bool fetched = statement.execute(true);

        if (Query.Fields().empty()) {  // no declared fields: one per column
            for (std::size_t c = 0; fetched && c < row.size(); ++c) {
                const soci::column_properties& props = row.get_properties(c);
                Query.AddField(vcl::FieldDef{props.get_name(), TypeOfColumn(props.get_data_type()), 0});
            }
        }
        std::vector<vcl::FieldDef> defs;
        for (const auto& field : Query.Fields())
            defs.push_back(field->Def());
        vcl::PacketBuilder builder(defs);
        std::vector<std::size_t> columnOf;
        std::vector<vcl::Variant> cells(defs.size());
        while (fetched) {
            if (columnOf.empty()) {  // match declared fields to columns by name
                for (const vcl::FieldDef& def : defs) {
                    std::size_t c = 0;
                    while (c < row.size() && !EqualsNoCase(row.get_properties(c).get_name(), def.name))
                        ++c;
                    if (c == row.size()) {
                        throw vcl::EDatabaseError("campo '" + def.name + "' não encontrado no resultado");
                    }
                    columnOf.push_back(c);
                }
            }
            for (std::size_t f = 0; f < defs.size(); ++f)
                cells[f] = CellValue(row, columnOf[f], defs[f].type);
            builder.AppendRow(cells);
            fetched = statement.fetch();
        }
        packet = builder.Finish();
    } catch (const soci::soci_error& error) {
        throw vcl::EDatabaseError(Name() + ": " + error.what());
    } catch (const std::bad_cast&) {  // a column whose values do not match its declared type
        throw vcl::EDatabaseError(Name() + ": valor de coluna com tipo inesperado");
    } catch (const vcl::EDatabaseError& error) {
        throw vcl::EDatabaseError(Name() + ": " + error.what());
    }
    Query.SetData(vcl::Variant(std::move(packet)));
}

void TADOIBQuery::OpenRemote() {
    std::vector<TLookupParam> params;
    for (const auto& param : params_)
        params.push_back({param->Name(), param->Value()});
    std::vector<vcl::FieldDef> defs;
    for (const auto& field : Query.Fields())
        defs.push_back(field->Def());
    vcl::DataPacket packet;
    try {
        const vcl::DataPacket answered = database_.RunRemote(Joined(SQL.empty() ? SQL_IB : SQL), params);
        packet = defs.empty() ? answered : ConformToFields(answered, defs);
    } catch (const vcl::EDatabaseError& error) {
        throw vcl::EDatabaseError(Name() + ": " + error.what());
    }
    if (defs.empty()) {  // no declared fields: those of the answer
        for (const vcl::FieldDef& def : packet.Fields())
            Query.AddField(def);
    }
    Query.SetData(vcl::Variant(std::move(packet)));
}

void TADOIBQuery::Close() {
    Query.Close();
}

bool TADOIBQuery::Active() const {
    return Query.Active();
}

void TADOIBQuery::SetActive(bool active) {
    if (active) {
        Open();
    } else {
        Close();
    }
}

bool TADOIBQuery::IsEmpty() const {
    return Query.IsEmpty();
}

}  // namespace vlm
