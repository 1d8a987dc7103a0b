#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "apps/options/common_options.h"
#include "apps/options/host_options.h"
#include "apps/options/server_options.h"

namespace {

// A file in a folder of its own, removed with it.
class ScratchFile {
public:
    explicit ScratchFile(const std::string& text) {
        folder_ = std::filesystem::temp_directory_path() /
                  ("zrm_options_" + std::to_string(::getpid()) + "_" + std::to_string(++counter_));
        std::filesystem::create_directories(folder_);
        std::ofstream(Path()) << text;
    }
    ~ScratchFile() { std::filesystem::remove_all(folder_); }
    std::string Path() const { return (folder_ / "file").string(); }

private:
    static inline int counter_ = 0;
    std::filesystem::path folder_;
};

struct ServerLine {
    zrmopt::Parsed parsed;
    zrmopt::ServerOptions options;
};

ServerLine ParseServer(const std::vector<std::string>& args) {
    CLI::App app("", "zrm-server");
    ServerLine line;
    zrmopt::DeclareServerOptions(app, line.options);
    line.parsed = zrmopt::Parse(app, args);
    return line;
}

TEST(ServerCommandLine, TheConfigurationFileGivesEveryKeyAndTheCommandLineWins) {
    const ScratchFile config(
        "db = \"sqlite3://db=from-file.db\"\n"
        "password_file = \"/etc/zrm/db-password\"\n"
        "listen = \"0.0.0.0:9000\"\n"
        "threads = 4\n"
        "quiet = true\n"
        "[init-db]\n"
        "notes = 50\n");
    const ServerLine fromFile = ParseServer({"--config", config.Path()});
    ASSERT_TRUE(fromFile.parsed.run) << fromFile.parsed.output;
    EXPECT_EQ(fromFile.options.db, "sqlite3://db=from-file.db");
    EXPECT_EQ(fromFile.options.passwordFile, "/etc/zrm/db-password");
    EXPECT_EQ(fromFile.options.Host(), "0.0.0.0");
    EXPECT_EQ(fromFile.options.Port(), 9000);
    EXPECT_EQ(fromFile.options.threads, 4);
    EXPECT_TRUE(fromFile.options.quiet);
    EXPECT_EQ(fromFile.options.command, zrmopt::ServerCommand::Serve);

    const ServerLine overridden =
        ParseServer({"init-db", "--config", config.Path(), "--db", "sqlite3://db=cli.db", "--threads", "2",
                     "--notes", "7", "--demo"});
    ASSERT_TRUE(overridden.parsed.run) << overridden.parsed.output;
    EXPECT_EQ(overridden.options.command, zrmopt::ServerCommand::InitDb);
    EXPECT_EQ(overridden.options.db, "sqlite3://db=cli.db");
    EXPECT_EQ(overridden.options.threads, 2);
    EXPECT_EQ(overridden.options.notes, 7);
    EXPECT_TRUE(overridden.options.demo);
    EXPECT_EQ(overridden.options.Port(), 9000);
}

TEST(ServerCommandLine, CommandsAndTheirOptions) {
    const ServerLine migrate = ParseServer({"migrate", "--db", "sqlite3://db=x.db"});
    ASSERT_TRUE(migrate.parsed.run) << migrate.parsed.output;
    EXPECT_EQ(migrate.options.command, zrmopt::ServerCommand::Migrate);

    const ServerLine backup = ParseServer({"backup", "--db", "sqlite3://db=x.db", "--to", "copy.db"});
    ASSERT_TRUE(backup.parsed.run) << backup.parsed.output;
    EXPECT_EQ(backup.options.command, zrmopt::ServerCommand::Backup);
    EXPECT_EQ(backup.options.backupTo, "copy.db");

    const ServerLine plain = ParseServer({"--db", "sqlite3://db=x.db"});
    ASSERT_TRUE(plain.parsed.run);
    EXPECT_EQ(plain.options.Host(), "127.0.0.1");
    EXPECT_EQ(plain.options.Port(), 8211);
    EXPECT_EQ(ParseServer({"--db", "x", "--listen", "[::1]:0"}).options.Host(), "::1");
}

TEST(ServerCommandLine, WrongLinesAndFilesAreRefusedWithAReason) {
    const ScratchFile unknownKey("db = \"sqlite3://db=x.db\"\nthread = 4\n");
    const ScratchFile notToml("db = sqlite3://db=x.db\n");
    const struct {
        const char* name;
        std::vector<std::string> args;
    } cases[] = {
        {"no database", {}},
        {"unknown option", {"--db", "x", "--verbose"}},
        {"listen without port", {"--db", "x", "--listen", "localhost"}},
        {"listen port out of range", {"--db", "x", "--listen", "h:65536"}},
        {"threads out of range", {"--db", "x", "--threads", "0"}},
        {"backup without target", {"backup", "--db", "x"}},
        {"missing configuration file", {"--config", "/nonexistent/zrm-server.toml", "--db", "x"}},
        {"unknown key in the file", {"--config", unknownKey.Path()}},
        {"file that is not TOML", {"--config", notToml.Path()}},
    };
    for (const auto& c : cases) {
        const ServerLine line = ParseServer(c.args);
        EXPECT_FALSE(line.parsed.run) << c.name;
        EXPECT_EQ(line.parsed.exitCode, 2) << c.name;
        EXPECT_FALSE(line.parsed.output.empty()) << c.name;
    }
}

TEST(ServerCommandLine, HelpListsEveryOptionAndVersionAnswers) {
    const ServerLine help = ParseServer({"--help"});
    EXPECT_FALSE(help.parsed.run);
    EXPECT_EQ(help.parsed.exitCode, 0);
    for (const char* option : {"--db", "--password-file", "--listen", "--threads", "--quiet", "--config",
                               "--version", "init-db", "migrate", "backup"})
        EXPECT_NE(help.parsed.output.find(option), std::string::npos) << option;
    const ServerLine version = ParseServer({"--version"});
    EXPECT_EQ(version.parsed.exitCode, 0);
    EXPECT_EQ(version.parsed.output, "zrm-server " ZRM_VERSION "\n");
}

class DatabasePassword : public ::testing::Test {
protected:
    void SetUp() override { ::unsetenv("ZRM_DB_PASSWORD"); }
    void TearDown() override { ::unsetenv("ZRM_DB_PASSWORD"); }
};

TEST_F(DatabasePassword, ComesFromTheFileElseTheEnvironmentAndIsQuoted) {
    const std::string pg = "postgresql://host=db dbname=zrm user=zrm";
    const ScratchFile file("it's a \\ secret\nsecond line\n");
    EXPECT_EQ(zrmopt::ConnectWithPassword(pg, ""), pg);
    EXPECT_EQ(zrmopt::ConnectWithPassword(pg, file.Path()), pg + " password='it\\'s a \\\\ secret'");
    ::setenv("ZRM_DB_PASSWORD", "from-env", 1);
    EXPECT_EQ(zrmopt::ConnectWithPassword(pg, ""), pg + " password='from-env'");
    EXPECT_EQ(zrmopt::ConnectWithPassword(pg, file.Path()), pg + " password='it\\'s a \\\\ secret'");
    // A text that has its password keeps it; SQLite has none.
    EXPECT_EQ(zrmopt::ConnectWithPassword(pg + " password=x", ""), pg + " password=x");
    EXPECT_EQ(zrmopt::ConnectWithPassword("sqlite3://db=a.db", file.Path()), "sqlite3://db=a.db");
}

TEST_F(DatabasePassword, AnUnreadableOrEmptyFileIsAnError) {
    const ScratchFile empty("");
    EXPECT_THROW(zrmopt::ConnectWithPassword("postgresql://dbname=zrm", empty.Path()), std::runtime_error);
    EXPECT_THROW(zrmopt::ConnectWithPassword("postgresql://dbname=zrm", "/nonexistent/password"),
                 std::runtime_error);
}

TEST(HostCommandLine, QtsOwnOptionsAreSetApartWithTheirValues) {
    const char* argv[] = {"zrm-host",          "-platform",       "offscreen", "--db",
                          "sqlite3://db=a.db", "-reverse",        "--filial",  "0002",
                          "-style=fusion",     "--platformtheme", "gtk3"};
    const zrmopt::SplitArguments split = zrmopt::SplitQtArguments(static_cast<int>(std::size(argv)), argv);
    EXPECT_EQ(split.qt, (std::vector<std::string>{"-platform", "offscreen", "-reverse", "-style=fusion",
                                                  "--platformtheme", "gtk3"}));
    EXPECT_EQ(split.ours, (std::vector<std::string>{"--db", "sqlite3://db=a.db", "--filial", "0002"}));

    CLI::App app("", "zrm-host");
    zrmopt::HostOptions options;
    zrmopt::DeclareHostOptions(app, options);
    const zrmopt::Parsed parsed = zrmopt::Parse(app, split.ours);
    ASSERT_TRUE(parsed.run) << parsed.output;
    EXPECT_EQ(options.db, "sqlite3://db=a.db");
    EXPECT_EQ(options.filial, "0002");
}

TEST(HostCommandLine, HelpListsEveryOption) {
    CLI::App app("", "zrm-host");
    zrmopt::HostOptions options;
    zrmopt::DeclareHostOptions(app, options);
    const zrmopt::Parsed help = zrmopt::Parse(app, {"--help"});
    EXPECT_EQ(help.exitCode, 0);
    for (const char* option : {"--db", "--db-password-file", "--server", "--filial", "--tour", "--config",
                               "--version", "-platform"})
        EXPECT_NE(help.output.find(option), std::string::npos) << option;
}

}  // namespace
