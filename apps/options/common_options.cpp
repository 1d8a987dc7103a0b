#include "apps/options/common_options.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>

#include "apps/options/toml_config.h"

#ifndef ZRM_VERSION
#error "ZRM_VERSION must name the project's version"
#endif

namespace zrmopt {

namespace {

constexpr std::size_t kMaxPasswordBytes = 1024;

// Quoted as libpq's keyword/value texts want: single quotes, with quotes and
// backslashes escaped.
std::string QuotedValue(const std::string& value) {
    std::string out = "'";
    for (const char c : value) {
        if (c == '\'' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + "'";
}

std::string ReadPasswordFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw std::runtime_error("cannot read the password file " + path);
    std::string line;
    std::getline(file, line);
    if (line.size() > kMaxPasswordBytes)
        throw std::runtime_error("the password file " + path + " holds more than a password");
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    if (line.empty())
        throw std::runtime_error("the password file " + path + " is empty");
    return line;
}

bool HasPassword(const std::string& connect) {
    return connect.starts_with("password=") || connect.find(" password=") != std::string::npos ||
           connect.find("//password=") != std::string::npos;
}

}  // namespace

std::string DefaultServerConfig() {
    return "/etc/zrm/zrm-server.toml";
}

std::string DefaultHostConfig() {
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg)
        return std::string(xdg) + "/zrm/zrm-host.toml";
    if (const char* home = std::getenv("HOME"); home && *home)
        return std::string(home) + "/.config/zrm/zrm-host.toml";
    return {};
}

void AddCommonOptions(CLI::App& app, const std::string& defaultConfig) {
    app.set_version_flag("--version", std::string(app.get_name()) + " " + ZRM_VERSION);
    app.config_formatter(std::make_shared<TomlConfig>());
    app.allow_config_extras(CLI::config_extras_mode::error);
    if (!defaultConfig.empty()) {
        app.set_config("--config", defaultConfig,
                       "TOML file with the same keys as the options (default " + defaultConfig + ")");
    }
}

Parsed Parse(CLI::App& app, const std::vector<std::string>& args) {
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    Parsed parsed;
    try {
        app.parse(reversed);
        parsed.run = true;
    } catch (const CLI::ParseError& e) {
        std::ostringstream out;
        std::ostringstream err;
        app.exit(e, out, err);
        const bool answered = e.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success);
        parsed.exitCode = answered ? 0 : 2;
        parsed.output = answered ? out.str() : err.str();
    }
    return parsed;
}

void Print(const Parsed& parsed) {
    std::fputs(parsed.output.c_str(), parsed.exitCode == 0 ? stdout : stderr);
}

std::string ConnectWithPassword(const std::string& connect, const std::string& passwordFile) {
    if (!connect.starts_with("postgresql://") || HasPassword(connect))
        return connect;
    std::string password;
    if (!passwordFile.empty()) {
        password = ReadPasswordFile(passwordFile);
    } else if (const char* fromEnvironment = std::getenv("ZRM_DB_PASSWORD")) {
        password = fromEnvironment;
    }
    if (password.empty())
        return connect;
    return connect + " password=" + QuotedValue(password);
}

}  // namespace zrmopt
