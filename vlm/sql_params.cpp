#include "vlm/sql_params.h"

#include <algorithm>
#include <cctype>
#include <functional>

namespace vlm::sql {
namespace {

bool IsNameStart(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) != 0 || c == '_';
}
bool IsNameChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
}

// Walks the text, copying what is not a parameter to `out` and reporting
// each parameter name.
void Scan(std::string_view sql, std::string* out, const std::function<void(std::string_view)>& onParam) {
    std::size_t i = 0;
    const auto copy = [&](std::size_t from, std::size_t to) {
        if (out)
            out->append(sql.substr(from, to - from));
    };
    while (i < sql.size()) {
        const char c = sql[i];
        if (c == '\'' || c == '"') {  // quoted text; a doubled quote stays inside
            std::size_t j = i + 1;
            while (j < sql.size()) {
                if (sql[j] == c) {
                    if (j + 1 < sql.size() && sql[j + 1] == c) {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            const std::size_t end = std::min(j + 1, sql.size());
            copy(i, end);
            i = end;
        } else if (c == '-' && i + 1 < sql.size() && sql[i + 1] == '-') {  // comment to the line's end
            const std::size_t end = std::min(sql.find('\n', i), sql.size());
            copy(i, end);
            i = end;
        } else if (c == ':' && i + 1 < sql.size() && sql[i + 1] == ':') {  // a cast, not a parameter
            copy(i, i + 2);
            i += 2;
        } else if (c == ':' && i + 1 < sql.size() && IsNameStart(sql[i + 1])) {
            std::size_t j = i + 1;
            while (j < sql.size() && IsNameChar(sql[j]))
                ++j;
            onParam(sql.substr(i + 1, j - i - 1));
            i = j;
        } else {
            copy(i, i + 1);
            ++i;
        }
    }
}

}  // namespace

std::string PlaceholderName(std::size_t index) {
    return "zrm_p" + std::to_string(index + 1);
}

std::vector<std::string> ParamNames(std::string_view sql) {
    std::vector<std::string> names;
    Scan(sql, nullptr, [&](std::string_view name) {
        if (std::find(names.begin(), names.end(), name) == names.end())
            names.emplace_back(name);
    });
    return names;
}

BindableSql MakeBindable(std::string_view sql) {
    BindableSql result;
    Scan(sql, &result.text, [&](std::string_view name) {
        result.text += ':' + PlaceholderName(result.occurrences.size());
        result.occurrences.emplace_back(name);
    });
    return result;
}

}  // namespace vlm::sql
