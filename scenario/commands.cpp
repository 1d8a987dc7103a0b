#include "scenario/commands.h"

#include <charconv>
#include <initializer_list>
#include <map>
#include <string_view>

#include "scenario/keys.h"

namespace scenario {

namespace {

struct Arity {
    std::size_t min;
    std::size_t max;  // SIZE_MAX: any number
};

constexpr std::size_t kAny = static_cast<std::size_t>(-1);

const std::map<std::string, Arity, std::less<>>& Actions() {
    static const std::map<std::string, Arity, std::less<>> table{
        {"db", {1, 1}},     {"sql", {1, 1}},       {"server", {1, 1}},     {"reply", {2, 2}},
        {"filial", {1, 1}}, {"open", {0, 0}},      {"focus", {1, 1}},      {"tab", {0, 1}},
        {"type", {2, 2}},   {"click", {1, 1}},     {"key", {2, 5}},        {"col", {2, 2}},
        {"row", {2, 2}},    {"cellclick", {1, 1}}, {"titleclick", {2, 2}}, {"edit", {2, 2}},
        {"pick", {1, 1}},   {"expect", {1, kAny}}, {"close", {1, 1}},
    };
    return table;
}

// Arguments after the expectation's kind.
const std::map<std::string, Arity, std::less<>>& Expectations() {
    static const std::map<std::string, Arity, std::less<>> table{
        {"message", {1, 1}}, {"some-message", {0, 0}}, {"no-message", {0, 0}}, {"focus", {1, 1}},
        {"text", {2, 2}},    {"global", {2, 2}},       {"field", {3, 3}},      {"rows", {2, 2}},
        {"state", {2, 2}},   {"call", {1, kAny}},      {"no-call", {0, 0}},    {"picklist", {2, 2}},
        {"col", {2, 2}},     {"editing", {2, 2}},      {"columns", {2, 2}},    {"maxlength", {2, 2}},
        {"form", {2, 2}},    {"busy", {1, 1}},         {"cursor", {1, 1}},     {"sql", {2, 2}},
        {"cell", {4, 4}},    {"picklist-row", {2, 2}}, {"detail-row", {2, 2}}, {"hint", {2, 2}},
        {"row", {2, 2}},
    };
    return table;
}

std::string Plural(std::size_t n) {
    return std::to_string(n) + (n == 1 ? " argument" : " arguments");
}

std::optional<std::string> CheckArity(const std::string& what, Arity arity, std::size_t count) {
    if (count >= arity.min && (arity.max == kAny || count <= arity.max)) {
        return std::nullopt;
    }
    std::string wanted;
    if (arity.max == kAny) {
        wanted = "at least " + Plural(arity.min);
    } else if (arity.min == arity.max) {
        wanted = Plural(arity.min);
    } else {
        wanted = std::to_string(arity.min) + " to " + Plural(arity.max);
    }
    return what + " takes " + wanted + ", found " + std::to_string(count);
}

std::optional<std::string> OneOf(const std::string& what, const std::string& value,
                                 std::initializer_list<std::string_view> allowed) {
    std::string list;
    for (std::string_view choice : allowed) {
        if (value == choice) {
            return std::nullopt;
        }
        list += (list.empty() ? "" : "|") + std::string(choice);
    }
    return what + " must be " + list + ", found \"" + value + "\"";
}

std::optional<std::string> Count(const std::string& what, const std::string& value, int min) {
    const auto n = ParseCount(value);
    if (!n || *n < min) {
        return what + " must be a whole number" + (min > 0 ? " from " + std::to_string(min) : std::string()) +
               ", found \"" + value + "\"";
    }
    return std::nullopt;
}

std::optional<std::string> CheckExpectation(const Command& command) {
    const std::string& kind = command.Arg(0);
    const auto found = Expectations().find(kind);
    if (found == Expectations().end()) {
        return "unknown expectation \"" + kind + "\"";
    }
    const std::size_t count = command.ArgCount() - 1;
    if (auto problem = CheckArity("expect " + kind, found->second, count)) {
        return problem;
    }
    if (kind == "rows" || kind == "maxlength" || kind == "row") {
        return Count(kind, command.Arg(2), 0);
    }
    if (kind == "picklist") {
        return Count("the row count", command.Arg(2), 0);
    }
    if (kind == "state") {
        return OneOf("the state", command.Arg(2), {"inactive", "browse", "edit", "insert"});
    }
    if (kind == "editing") {
        return OneOf("editing", command.Arg(2), {"on", "off"});
    }
    if (kind == "form") {
        return OneOf("the form's state", command.Arg(2), {"open", "closed"});
    }
    if (kind == "busy") {
        return OneOf("busy", command.Arg(1), {"on", "off"});
    }
    if (kind == "call") {
        for (std::size_t i = 2; i < command.ArgCount(); ++i) {
            const std::string& arg = command.Arg(i);
            const auto eq = arg.find('=');
            const auto n = eq == std::string::npos ? std::nullopt : ParseCount(arg.substr(0, eq));
            if (!n || *n < 1) {
                return "a call argument is written N=\"VALUE\" with N from 1, found \"" + arg + "\"";
            }
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<int> ParseCount(const std::string& text) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end || value < 0) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::string> CheckCommand(const Command& command) {
    const std::string& name = command.Name();
    const auto found = Actions().find(name);
    if (found == Actions().end()) {
        return "unknown command \"" + name + "\"";
    }
    if (auto problem = CheckArity(name, found->second, command.ArgCount())) {
        return problem;
    }
    if (name == "expect") {
        return CheckExpectation(command);
    }
    if (name == "db") {
        return OneOf("db", command.Arg(0), {"demo", "empty"});
    }
    if (name == "server") {
        return OneOf("server", command.Arg(0), {"real", "fake"});
    }
    if (name == "tab") {
        return command.ArgCount() == 0 ? std::nullopt : OneOf("tab's option", command.Arg(0), {"shift"});
    }
    if (name == "row") {
        return Count("the row", command.Arg(1), 1);
    }
    if (name == "pick") {
        return command.Arg(0) == "none" ? std::nullopt : Count("pick", command.Arg(0), 1);
    }
    if (name == "key") {
        if (!ParseKey(command.Arg(1))) {
            return "unknown key \"" + command.Arg(1) + "\"";
        }
        for (std::size_t i = 2; i < command.ArgCount(); ++i) {
            if (auto problem = OneOf("a key modifier", command.Arg(i), {"ctrl", "shift", "alt"})) {
                return problem;
            }
        }
    }
    return std::nullopt;
}

}  // namespace scenario
