// Named parameters (:NAME) in SQL text, outside quotes and comments.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vlm::sql {

// Parameter names in order of first appearance, each once.
std::vector<std::string> ParamNames(std::string_view sql);

// The text with every occurrence renamed to a placeholder of its own
// (:zrm_p1, :zrm_p2, ...), so that a parameter used twice binds the same
// way on every backend; occurrences[i] is the parameter of placeholder i+1.
struct BindableSql {
    std::string text;
    std::vector<std::string> occurrences;
};
BindableSql MakeBindable(std::string_view sql);

std::string PlaceholderName(std::size_t index);  // "zrm_p1" for index 0

}  // namespace vlm::sql
