// CLI11 reads configuration files through this reader: TOML parsed with
// toml++, each key standing for the command-line option of the same name
// ("password_file" for --password-file), tables for subcommands.
#pragma once

#include <CLI/CLI.hpp>

namespace zrmopt {

class TomlConfig : public CLI::Config {
public:
    // CLI::ConfigError naming the line and the reason for a file that is
    // not valid TOML.
    std::vector<CLI::ConfigItem> from_config(std::istream& input) const override;
    std::string to_config(const CLI::App* app, bool defaults, bool descriptions,
                          std::string prefix) const override;
};

}  // namespace zrmopt
