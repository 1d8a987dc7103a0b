#include "apps/options/toml_config.h"

#include <toml++/toml.h>
#include <algorithm>
#include <sstream>

namespace zrmopt {

namespace {

std::string OptionName(std::string_view key) {
    std::string name(key);
    std::replace(name.begin(), name.end(), '_', '-');
    return name;
}

// A scalar as the text the command line would give.
std::string ScalarText(const toml::node& node, const std::string& key) {
    if (const auto* text = node.as_string())
        return text->get();
    if (const auto* number = node.as_integer())
        return std::to_string(number->get());
    if (const auto* number = node.as_floating_point()) {
        std::ostringstream out;
        out << number->get();
        return out.str();
    }
    if (const auto* flag = node.as_boolean())
        return flag->get() ? "true" : "false";
    throw CLI::ConfigError(key + ": only texts, numbers, booleans and lists of them are accepted");
}

void Collect(const toml::table& table, const std::vector<std::string>& parents,
             std::vector<CLI::ConfigItem>& items) {
    for (const auto& [key, node] : table) {
        const std::string name = OptionName(key.str());
        if (const auto* section = node.as_table()) {
            auto inner = parents;
            inner.push_back(std::string(key.str()));
            Collect(*section, inner, items);
            continue;
        }
        CLI::ConfigItem item;
        item.parents = parents;
        item.name = name;
        if (const auto* list = node.as_array()) {
            for (const auto& element : *list)
                item.inputs.push_back(ScalarText(element, name));
        } else {
            item.inputs.push_back(ScalarText(node, name));
        }
        items.push_back(std::move(item));
    }
}

}  // namespace

std::vector<CLI::ConfigItem> TomlConfig::from_config(std::istream& input) const {
    toml::table table;
    try {
        table = toml::parse(input);
    } catch (const toml::parse_error& e) {
        std::ostringstream reason;
        reason << "configuration file, line " << e.source().begin.line << ": " << e.description();
        throw CLI::ConfigError(reason.str());
    }
    std::vector<CLI::ConfigItem> items;
    Collect(table, {}, items);
    return items;
}

std::string TomlConfig::to_config(const CLI::App* app, bool defaults, bool descriptions,
                                  std::string prefix) const {
    return CLI::ConfigTOML().to_config(app, defaults, descriptions, std::move(prefix));
}

}  // namespace zrmopt
