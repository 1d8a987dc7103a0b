// Everything the desktop host runs: the database (created with the demo data
// on first use), the application server in-process unless another one is
// named, the host context the package receives, the main window and the
// package itself.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "vcl/exceptions.h"
#include "vcl/forms.h"
#include "vlm/host.h"

namespace server {
class AppServer;
}
namespace vlm {
class TdtmDBGeral;
class TNetConnection;
}  // namespace vlm

namespace zrmqt {

class HostLoop;
class QtHostServices;
class QtCallWaiter;
class MainWindow;
class PackageLibrary;
class FormView;

// The embedded default: the only database the desktop changes the schema of.
inline constexpr const char* kEmbeddedDatabase = "sqlite3://db=var/zrm.db";

struct DesktopOptions {
    std::string db = kEmbeddedDatabase;
    // https://HOST:PORT, http://HOST:PORT or HOST:PORT; none: in-process on
    // a free loopback port, with a session for the local user.
    std::optional<std::string> server;
    std::string filial = "0001";  // the local user's branch (embedded only)
    std::string packagePath;      // empty: PackageLibrary::DefaultPath()
    bool remoteLookups = false;   // with `server`: no database, lookups through the server
    // With a separate server: the name the login window starts with, a file
    // whose first line is the password (unattended runs), the authority
    // that signs the server's certificate, and plain http off loopback.
    std::string user;
    std::string passwordFile;
    std::string caFile;
    bool insecure = false;
};

// The user closed the login window without logging in.
class LoginCancelled : public vcl::Error {
public:
    LoginCancelled() : vcl::Error("acesso cancelado pelo usuário") {}
};

// Reads the command line and the configuration file (zrm-host --help lists
// the options). nullopt with the text to show in `error` and the exit code
// in `exitCode` (0 after --help or --version, 2 for a wrong line) when the
// program should not go on. Qt's own options are set apart for Qt.
struct CommandLine {
    DesktopOptions options;
    std::optional<std::string> tourDir;
    std::vector<std::string> qtArguments;
};
std::optional<CommandLine> ParseCommandLine(int argc, char** argv, std::string& error,
                                            int* exitCode = nullptr);

// The SQLite file a connection text names; nullopt for other backends and
// in-memory databases.
std::optional<std::string> SqliteFile(const std::string& connect);

class DesktopHost {
public:
    // Throws std::runtime_error (or db::DbError) with the reason when the
    // database, the server or the package cannot be brought up.
    explicit DesktopHost(DesktopOptions options);
    ~DesktopHost();
    DesktopHost(const DesktopHost&) = delete;
    DesktopHost& operator=(const DesktopHost&) = delete;

    MainWindow& Window() const { return *window_; }
    HostLoop& Loop() const { return *loop_; }
    QtHostServices& Services() const { return *services_; }
    QtCallWaiter& CallWaiter() const { return *waiter_; }
    vcl::TApplication& Application() const { return *application_; }
    vlm::THost& Host() const { return *host_; }
    const DesktopOptions& Options() const { return options_; }

    // The menu entry: IniProc through the dispatcher.
    void OpenScreen();
    // The screen's view; nullptr while it is not shown.
    FormView* ScreenView() const;

private:
    // Logs in to the separate server (window or password file) and fills
    // the host configuration from the answer.
    void LogIn(vlm::THostConfig& config);

    DesktopOptions options_;
    std::unique_ptr<server::AppServer> server_;
    std::unique_ptr<vlm::TNetConnection> lookupConnection_;
    std::unique_ptr<vlm::TdtmDBGeral> dtmDBGeral_;
    vcl::TScreen screen_;
    std::unique_ptr<vcl::TApplication> application_;
    std::unique_ptr<HostLoop> loop_;
    std::unique_ptr<QtHostServices> services_;
    std::unique_ptr<QtCallWaiter> waiter_;
    std::unique_ptr<vlm::THost> host_;
    std::unique_ptr<MainWindow> window_;
    std::unique_ptr<PackageLibrary> package_;
    std::function<void()> logout_;  // ends the separate server's session
};

}  // namespace zrmqt
