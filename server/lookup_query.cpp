#include "server/lookup_query.h"

#include <array>
#include <cstdio>
#include <ctime>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "contracts/lookups.h"
#include "server/call_error.h"
#include "vcl/data_packet.h"

namespace server {

namespace {

constexpr std::size_t kMaxParams = 32;

vcl::FieldType TypeOfColumn(soci::data_type type) {
    switch (type) {
        case soci::dt_double:
            return vcl::FieldType::Float;
        case soci::dt_integer:
        case soci::dt_long_long:
        case soci::dt_unsigned_long_long:
            return vcl::FieldType::Integer;
        case soci::dt_date:
            return vcl::FieldType::Date;
        default:
            return vcl::FieldType::String;
    }
}

vcl::Variant CellValue(const soci::row& row, std::size_t column) {
    if (row.get_indicator(column) == soci::i_null)
        return vcl::Variant::Null();
    switch (row.get_properties(column).get_data_type()) {
        case soci::dt_string:
            return vcl::Variant(row.get<std::string>(column));
        case soci::dt_double:
            return vcl::Variant(row.get<double>(column));
        case soci::dt_integer:
            return vcl::Variant(row.get<int>(column));
        case soci::dt_long_long:
            return vcl::Variant(static_cast<std::int64_t>(row.get<long long>(column)));
        case soci::dt_unsigned_long_long:
            return vcl::Variant(static_cast<std::int64_t>(row.get<unsigned long long>(column)));
        case soci::dt_date: {
            const std::tm tm = row.get<std::tm>(column);
            return vcl::Variant(vcl::TDate::FromYmd(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday));
        }
        default:
            throw CallError(CallStatus::Internal, "lookup column " + row.get_properties(column).get_name() +
                                                      " of an unsupported type");
    }
}

}  // namespace

bool IsAllowedLookup(std::string_view sql) {
    for (const std::vector<std::string>& allowed : contracts::LookupStatements()) {
        if (sql == contracts::JoinedSql(allowed))
            return true;
    }
    return false;
}

vcl::VariantArray DecodeLookupRequest(std::string_view body) {
    const nlohmann::json request = nlohmann::json::parse(body, nullptr, false);
    if (request.is_discarded() || !request.is_object())
        BadRequest("the lookup body is not a JSON object");
    const auto sql = request.find("sql");
    if (sql == request.end() || !sql->is_string())
        BadRequest("the lookup needs \"sql\", a text");
    vcl::VariantArray args{vcl::Variant(sql->get<std::string>())};
    if (const auto params = request.find("params"); params != request.end()) {
        if (!params->is_object() || params->size() > kMaxParams)
            BadRequest("the lookup's \"params\" must be an object of at most 32 values");
        for (const auto& [name, value] : params->items()) {
            args.emplace_back(name);
            if (value.is_null())
                args.push_back(vcl::Variant::Null());
            else if (value.is_string())
                args.emplace_back(value.get<std::string>());
            else
                BadRequest("lookup parameter " + name + " must be a text or null");
        }
    }
    return args;
}

vcl::wire::Answer RunLookup(soci::session& session, const vcl::VariantArray& args) {
    if (args.empty() || args[0].type() != vcl::Variant::Type::String)
        BadRequest("the lookup needs its statement");
    const std::string sql = args[0].AsString();
    if (!IsAllowedLookup(sql))
        throw CallError(CallStatus::Forbidden, "statement not allowed");

    const std::size_t count = (args.size() - 1) / 2;
    std::vector<std::string> names(count);
    std::vector<std::string> values(count);
    std::vector<soci::indicator> indicators(count, soci::i_ok);
    for (std::size_t i = 0; i < count; ++i) {
        names[i] = args[1 + 2 * i].AsString();
        const vcl::Variant& value = args[2 + 2 * i];
        if (value.IsEmpty())
            indicators[i] = soci::i_null;
        else
            values[i] = value.AsString();
        if (sql.find(":" + names[i]) == std::string::npos)
            BadRequest("the statement has no parameter " + names[i]);
    }

    soci::row row;
    soci::statement statement(session);
    statement.exchange(soci::into(row));
    for (std::size_t i = 0; i < count; ++i)
        statement.exchange(soci::use(values[i], indicators[i], names[i]));
    statement.alloc();
    statement.prepare(sql);
    statement.define_and_bind();
    bool fetched = statement.execute(true);

    std::vector<vcl::FieldDef> defs;
    std::optional<vcl::PacketBuilder> builder;
    std::vector<vcl::Variant> cells;
    while (fetched) {
        if (!builder) {
            for (std::size_t c = 0; c < row.size(); ++c) {
                const soci::column_properties& props = row.get_properties(c);
                defs.push_back(vcl::FieldDef{props.get_name(), TypeOfColumn(props.get_data_type()), 0});
            }
            builder.emplace(defs);
            cells.resize(defs.size());
        }
        for (std::size_t c = 0; c < defs.size(); ++c)
            cells[c] = CellValue(row, c);
        builder->AppendRow(cells);
        fetched = statement.fetch();
    }
    if (!builder)
        builder.emplace(defs);  // no rows: no columns either; the client matches by name
    return vcl::wire::Answer{vcl::Variant(builder->Finish()), {}};
}

}  // namespace server
