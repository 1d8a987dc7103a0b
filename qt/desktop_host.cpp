#include "qt/desktop_host.h"

#include <QString>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "db/connection.h"
#include "db/init_db.h"
#include "qt/form_view.h"
#include "qt/host_loop.h"
#include "qt/host_services_qt.h"
#include "qt/login_dialog.h"
#include "qt/main_window.h"
#include "qt/package_library.h"
#include "server/app_server.h"
#include "vlm/db_geral.h"
#include "vlm/login_client.h"
#include "vlm/server_url.h"

namespace zrmqt {

std::optional<CommandLine> ParseCommandLine(int argc, char** argv, std::string& error) {
    CommandLine line;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--insecure") {
            line.options.insecure = true;
            continue;
        }
        if (option != "--db" && option != "--server" && option != "--filial" && option != "--tour" &&
            option != "--user" && option != "--password-file" && option != "--ca") {
            error = "unknown option " + option;
            return std::nullopt;
        }
        if (i + 1 >= argc || std::string(argv[i + 1]).empty()) {
            error = option + " needs a value";
            return std::nullopt;
        }
        const std::string value = argv[++i];
        if (option == "--db") {
            line.options.db = value;
        } else if (option == "--server") {
            line.options.server = value;
        } else if (option == "--user") {
            line.options.user = value;
        } else if (option == "--password-file") {
            line.options.passwordFile = value;
        } else if (option == "--ca") {
            line.options.caFile = value;
        } else if (option == "--filial") {
            line.options.filial = value;
        } else {
            line.tourDir = value;
        }
    }
    // --insecure may come after --server: check the address once all is read.
    if (line.options.server && !vlm::ParseServerUrl(*line.options.server, line.options.insecure, error))
        return std::nullopt;
    return line;
}

std::optional<std::string> SqliteFile(const std::string& connect) {
    const db::ConnectInfo info = db::ParseConnect(connect);
    if (info.backend != db::Backend::Sqlite || db::IsInMemory(info)) {
        return std::nullopt;
    }
    std::istringstream words(info.parameters);
    std::string word;
    while (words >> word) {
        if (word.starts_with("db=")) {
            return word.substr(3);
        }
    }
    return info.parameters.find('=') == std::string::npos ? std::optional(info.parameters) : std::nullopt;
}

namespace {

// A SQLite file that does not exist yet gets the schema and the demo data;
// any other database gets the tables it lacks.
void PrepareDatabase(const std::string& connect) {
    db::InitOptions init;
    if (const auto file = SqliteFile(connect)) {
        const std::filesystem::path path(*file);
        init.demo = !std::filesystem::exists(path);
        if (init.demo && path.has_parent_path()) {
            std::filesystem::create_directories(path.parent_path());
        }
    }
    db::InitDatabase(connect, init);
}

}  // namespace

DesktopHost::DesktopHost(DesktopOptions options)
    : options_(std::move(options)),
      dtmDBGeral_(std::make_unique<vlm::TdtmDBGeral>(options_.db)),
      application_(std::make_unique<vcl::TApplication>(screen_)),
      loop_(std::make_unique<HostLoop>(*application_)),
      services_(std::make_unique<QtHostServices>(*loop_)) {
    PrepareDatabase(options_.db);

    vlm::THostConfig config;
    config.filiProc = options_.filial;
    if (options_.server) {
        LogIn(config);
    } else {
        server::AppServerOptions serverOptions;
        serverOptions.threads = 4;
        serverOptions.quiet = true;
        server_ = std::make_unique<server::AppServer>(options_.db, serverOptions);
        config.webUrl = "127.0.0.1";
        config.webPort = server_->start("127.0.0.1", 0);
        // No password on the embedded default: the in-process server hands
        // the host a session for the local user.
        config.server.token = server_->OpenSession(server::LocalCaller(config.filiProc));
    }
    host_ = std::make_unique<vlm::THost>(vlm::THost{*application_, *services_, config, *dtmDBGeral_});
    loop_->SetErrorReporter([this](const std::string& message) {
        services_->ShowMessage(contracts::TMsgDlgType::Error, message, {contracts::TMsgDlgBtn::OK});
    });

    window_ = std::make_unique<MainWindow>([this] { OpenScreen(); });
    loop_->SetMdiArea(window_->MdiArea());
    window_->SetStatus(
        QStringLiteral("Filial %1  ·  servidor %2:%3  ·  %4")
            .arg(QString::fromStdString(config.filiProc), QString::fromStdString(config.webUrl))
            .arg(config.webPort)
            .arg(QString::fromStdString(db::MaskPassword(options_.db))));

    package_ = std::make_unique<PackageLibrary>(options_.packagePath.empty() ? PackageLibrary::DefaultPath()
                                                                             : options_.packagePath);
    package_->Initialize(*host_);
}

void DesktopHost::LogIn(vlm::THostConfig& config) {
    std::string error;
    const auto url = vlm::ParseServerUrl(*options_.server, options_.insecure, error);
    if (!url)
        throw std::runtime_error(error);
    const auto attempt = [&](const std::string& user, const std::string& password) {
        return vlm::LoginToServer(*url, options_.caFile, user, password);
    };
    vlm::TLoginResult result;
    if (!options_.passwordFile.empty()) {
        std::ifstream file(options_.passwordFile);
        std::string password;
        if (!file || !std::getline(file, password))
            throw std::runtime_error("Não foi possível ler o arquivo de senha " + options_.passwordFile);
        if (!password.empty() && password.back() == '\r')
            password.pop_back();
        result = attempt(options_.user, password);
        std::fill(password.begin(), password.end(), '\0');
        if (!result.ok)
            throw std::runtime_error(result.error);
    } else {
        LoginDialog dialog(QString::fromStdString(*options_.server), QString::fromStdString(options_.user),
                           attempt);
        if (dialog.exec() != QDialog::Accepted)
            throw LoginCancelled();
        result = dialog.Result();
    }
    config.webUrl = url->host;
    config.webPort = url->port;
    config.filiProc = result.branch;
    config.server = vlm::TServerAccess{url->tls, options_.caFile, result.token};
    logout_ = [url = *url, ca = options_.caFile, token = result.token] {
        vlm::LogoutFromServer(url, ca, token);
    };
}

DesktopHost::~DesktopHost() {
    // Windows first (they show the package's forms), then the package frees
    // its forms, then the host context, the application, the server.
    loop_->CloseWindows();
    services_->HideBusy();
    package_.reset();
    window_.reset();
    host_.reset();
    services_.reset();
    loop_.reset();
    application_.reset();
    if (logout_)
        logout_();
    if (server_) {
        server_->stop();
        server_.reset();
    }
    dtmDBGeral_.reset();
}

void DesktopHost::OpenScreen() {
    loop_->Act([this] { package_->IniProc(vcl::Variant()); });
}

FormView* DesktopHost::ScreenView() const {
    return loop_->ViewNamed("frmRemessaAnalise");
}

}  // namespace zrmqt
