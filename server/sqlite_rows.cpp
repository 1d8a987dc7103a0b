#include "server/sqlite_rows.h"

#include <soci/sqlite3/soci-sqlite3.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <string_view>

namespace server {

using namespace sqlite_api;

namespace {

bool IsTextRead(ColumnRead read) {
    return read == ColumnRead::Text || read == ColumnRead::IsoDate;
}

// SOCI reads a column declared with a floating or decimal type as the
// stored double, and any other (an expression has no declared type) through
// its text. The same choice keeps both paths' numbers identical.
bool DeclaredReal(const char* declared) {
    if (declared == nullptr)
        return false;
    std::string word;
    for (const char* c = declared; std::isalnum(static_cast<unsigned char>(*c)); ++c)
        word.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(*c))));
    return word == "numeric" || word == "decimal" || word == "real" || word == "double" || word == "float";
}

// A number's text as SOCI parses it: the whole text, or an error.
double ParseNumber(std::string_view text) {
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        throw soci::soci_error("Cannot convert data.");
    return value;
}

// True when `value` prints in at most 15 significant digits, so that the
// 15-digit text SQLite gives a real reads back as the same double.
bool FitsFifteenDigits(double value) {
    char buffer[32];
    const auto [end, error] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
    if (error != std::errc())
        return false;
    const std::string_view text(buffer, static_cast<std::size_t>(end - buffer));
    const std::string_view mantissa = text.substr(0, text.find('e'));
    const std::size_t digits = mantissa.size() - (mantissa.find('.') == std::string_view::npos ? 0 : 1) -
                               (mantissa.starts_with('-') ? 1 : 0);
    return digits <= 15;
}

bool IsNameChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

}  // namespace

// The statement with each ":name" placeholder made a positional "?": the
// values are bound in order anyway, and SQLite looks every new name up among
// the earlier ones, which costs a statement of 500 keys 125,000 comparisons.
// Quoted texts and names, and "::" casts, are left as they are.
std::string PositionalSql(std::string_view sql) {
    std::string out;
    out.reserve(sql.size());
    for (std::size_t i = 0; i < sql.size(); ++i) {
        const char c = sql[i];
        if (c == '\'' || c == '"') {
            const std::size_t end = std::min(sql.find(c, i + 1), sql.size() - 1);
            out.append(sql.substr(i, end - i + 1));  // a doubled quote is two quoted texts in a row
            i = end;
        } else if (c == ':' && i + 1 < sql.size() && sql[i + 1] == ':') {
            out += "::";
            ++i;
        } else if (c == ':' && i + 1 < sql.size() && IsNameChar(sql[i + 1])) {
            out.push_back('?');
            while (i + 1 < sql.size() && IsNameChar(sql[i + 1]))
                ++i;
        } else {
            out.push_back(c);
        }
    }
    return out;
}

SqliteRows::SqliteRows(soci::session& session, std::span<const SelectedColumn> columns)
    : db_(static_cast<soci::sqlite3_session_backend*>(session.get_backend())->conn_), columns_(columns) {
    cells_.reserve(columns_.size());
}

SqliteRows::~SqliteRows() {
    sqlite3_finalize(statement_);
}

void SqliteRows::Fail(int code) const {
    throw soci::sqlite3_soci_error(sqlite3_errmsg(db_), code);
}

void SqliteRows::Prepare(const std::string& text) {
    if (statement_ != nullptr && text == text_) {
        sqlite3_reset(statement_);
        return;
    }
    sqlite3_finalize(statement_);
    statement_ = nullptr;
    text_.clear();
    const std::string positional = PositionalSql(text);
    const int code = sqlite3_prepare_v2(db_, positional.c_str(), static_cast<int>(positional.size()),
                                        &statement_, nullptr);
    if (code != SQLITE_OK)
        Fail(code);
    if (sqlite3_column_count(statement_) != static_cast<int>(columns_.size()))
        throw soci::soci_error("the selection's columns are not the ones declared");
    exactReal_.assign(columns_.size(), false);
    for (std::size_t c = 0; c < columns_.size(); ++c)
        exactReal_[c] = DeclaredReal(sqlite3_column_decltype(statement_, static_cast<int>(c)));
    text_ = text;
}

void SqliteRows::Bind(const std::vector<std::string>& values) {
    // One placeholder per value, in order.
    if (sqlite3_bind_parameter_count(statement_) != static_cast<int>(values.size()))
        throw soci::soci_error("the statement's placeholders do not match its values");
    for (std::size_t i = 0; i < values.size(); ++i) {
        const int code = sqlite3_bind_text(statement_, static_cast<int>(i + 1), values[i].data(),
                                           static_cast<int>(values[i].size()), SQLITE_STATIC);
        if (code != SQLITE_OK)
            Fail(code);
    }
}

double SqliteRows::NumberAt(int column) const {
    if (exactReal_[static_cast<std::size_t>(column)])
        return sqlite3_column_double(statement_, column);
    switch (sqlite3_column_type(statement_, column)) {
        case SQLITE_INTEGER:
            return static_cast<double>(sqlite3_column_int64(statement_, column));
        case SQLITE_FLOAT: {
            const double value = sqlite3_column_double(statement_, column);
            if (std::isfinite(value) && FitsFifteenDigits(value))
                return value;
            break;
        }
        default:
            break;
    }
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
    return ParseNumber({text, static_cast<std::size_t>(sqlite3_column_bytes(statement_, column))});
}

void SqliteRows::Run(const SqlQuery& query, const CellsSink& onRow) {
    Prepare(query.Text());
    // The values are bound by pointer: they stay bound no longer than this call.
    struct Unbind {
        sqlite3_stmt* statement;
        ~Unbind() {
            sqlite3_reset(statement);
            sqlite3_clear_bindings(statement);
        }
    } unbind{statement_};
    Bind(query.Values());
    const int count = static_cast<int>(columns_.size());
    for (;;) {
        const int code = sqlite3_step(statement_);
        if (code == SQLITE_DONE)
            return;
        if (code != SQLITE_ROW)
            Fail(code);
        cells_.clear();
        for (int c = 0; c < count; ++c) {
            const ColumnRead read = columns_[static_cast<std::size_t>(c)].read;
            // Few calls into SQLite per cell (in serialized mode each takes
            // the connection's mutex): a text is read with two, its NULL told
            // by the missing text.
            if (IsTextRead(read)) {
                const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement_, c));
                if (text == nullptr && sqlite3_column_type(statement_, c) != SQLITE_NULL)
                    Fail(SQLITE_NOMEM);
                const std::size_t bytes =
                    text ? static_cast<std::size_t>(sqlite3_column_bytes(statement_, c)) : 0;
                cells_.push_back(CellOf(read, text == nullptr, {text, bytes}, 0));
            } else if (sqlite3_column_type(statement_, c) == SQLITE_NULL) {
                cells_.push_back(CellOf(read, true, {}, 0));
            } else {
                cells_.push_back(CellOf(read, false, {}, NumberAt(c)));
            }
        }
        onRow(cells_);
    }
}

}  // namespace server
