// Scenario files: one command a line, blanks separate arguments, "..." quotes
// one argument (\" and \\ inside), # at the start of a line makes a comment.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "vcl/exceptions.h"

namespace scenario {

// A mistake in a scenario file (syntax, unknown command or name); the text
// names the file and the line: "FILE:LINE: message".
class ScriptError : public vcl::Error {
public:
    ScriptError(const std::string& file, int line, const std::string& message);
    const std::string& File() const { return file_; }
    int Line() const { return line_; }

private:
    std::string file_;
    int line_;
};

struct Command {
    int line = 0;                    // 1-based line in the file
    std::vector<std::string> words;  // words[0] is the command's name
    const std::string& Name() const { return words.front(); }
    // The words after the name.
    std::size_t ArgCount() const { return words.size() - 1; }
    const std::string& Arg(std::size_t index) const { return words.at(index + 1); }
};

struct Script {
    std::string file;
    std::vector<Command> commands;
};

// Splits one line into words; throws ScriptError naming file and line on an
// unterminated quote or an unknown escape. A blank or comment line gives no words.
std::vector<std::string> SplitLine(std::string_view text, const std::string& file, int line);

// Parses a whole file's text and checks every command's name and arity, so
// that a typo is reported before anything runs.
Script ParseScript(std::string_view text, const std::string& file);
// Reads and parses a file; an unreadable file is a ScriptError at line 0.
Script LoadScript(const std::string& path);

}  // namespace scenario
