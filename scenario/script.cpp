#include "scenario/script.h"

#include <fstream>
#include <sstream>

#include "scenario/commands.h"

namespace scenario {

namespace {

std::string Located(const std::string& file, int line, const std::string& message) {
    return file + ":" + std::to_string(line) + ": " + message;
}

bool IsBlank(char ch) {
    return ch == ' ' || ch == '\t' || ch == '\r';
}

}  // namespace

ScriptError::ScriptError(const std::string& file, int line, const std::string& message)
    : vcl::Error(Located(file, line, message)), file_(file), line_(line) {}

std::vector<std::string> SplitLine(std::string_view text, const std::string& file, int line) {
    std::vector<std::string> words;
    std::size_t pos = 0;
    while (pos < text.size() && IsBlank(text[pos])) {
        ++pos;
    }
    if (pos == text.size() || text[pos] == '#') {
        return words;
    }
    // A word is a run of plain characters and quoted parts (so N="VALUE" is
    // one word); an empty quoted part still makes a word.
    std::string word;
    bool inWord = false;
    while (pos < text.size()) {
        const char ch = text[pos];
        if (IsBlank(ch)) {
            if (inWord) {
                words.push_back(std::move(word));
                word.clear();
                inWord = false;
            }
            ++pos;
        } else if (ch == '"') {
            inWord = true;
            ++pos;
            bool closed = false;
            while (pos < text.size()) {
                const char q = text[pos++];
                if (q == '"') {
                    closed = true;
                    break;
                }
                if (q == '\\') {
                    if (pos == text.size()) {
                        break;
                    }
                    const char escaped = text[pos++];
                    if (escaped != '"' && escaped != '\\') {
                        throw ScriptError(file, line,
                                          std::string("unknown escape \\") + escaped + " in a quoted text");
                    }
                    word += escaped;
                } else {
                    word += q;
                }
            }
            if (!closed) {
                throw ScriptError(file, line, "unterminated quoted text");
            }
        } else {
            inWord = true;
            word += ch;
            ++pos;
        }
    }
    if (inWord) {
        words.push_back(std::move(word));
    }
    return words;
}

Script ParseScript(std::string_view text, const std::string& file) {
    Script script{file, {}};
    int line = 0;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        ++line;
        std::vector<std::string> words = SplitLine(text.substr(start, end - start), file, line);
        if (!words.empty()) {
            Command command{line, std::move(words)};
            if (const auto problem = CheckCommand(command)) {
                throw ScriptError(file, line, *problem);
            }
            script.commands.push_back(std::move(command));
        }
        start = end + 1;
    }
    return script;
}

Script LoadScript(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw ScriptError(path, 0, "cannot read the file");
    }
    std::ostringstream text;
    text << in.rdbuf();
    return ParseScript(text.str(), path);
}

}  // namespace scenario
