#include "qt/desktop_host.h"

#include <QString>
#include <filesystem>
#include <sstream>
#include <stdexcept>

#include "apps/options/common_options.h"
#include "apps/options/host_options.h"
#include "db/connection.h"
#include "db/init_db.h"
#include "qt/call_waiter.h"
#include "qt/form_view.h"
#include "qt/host_loop.h"
#include "qt/host_services_qt.h"
#include "qt/main_window.h"
#include "qt/package_library.h"
#include "qt/startup_failure.h"
#include "server/app_server.h"
#include "vcl/exceptions.h"
#include "vlm/db_geral.h"
#include "vlm/net_connection.h"

namespace zrmqt {

std::optional<CommandLine> ParseCommandLine(int argc, char** argv, std::string& error, int* exitCode) {
    const zrmopt::SplitArguments split = zrmopt::SplitQtArguments(argc, argv);
    CLI::App app("", "zrm-host");
    zrmopt::HostOptions options;
    zrmopt::DeclareHostOptions(app, options);
    const zrmopt::Parsed parsed = zrmopt::Parse(app, split.ours);
    if (!parsed.run) {
        error = parsed.output;
        if (exitCode)
            *exitCode = parsed.exitCode;
        return std::nullopt;
    }
    CommandLine line;
    line.qtArguments = split.qt;
    if (!options.db.empty()) {
        try {
            line.options.db = zrmopt::ConnectWithPassword(options.db, options.dbPasswordFile);
        } catch (const std::runtime_error& e) {
            error = e.what();
            if (exitCode)
                *exitCode = 2;
            return std::nullopt;
        }
    }
    if (!options.server.empty())
        line.options.server = options.server;
    line.options.filial = options.filial;
    if (!options.tour.empty())
        line.tourDir = options.tour;
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

// A named application server must answer before the desktop opens.
void CheckServer(const std::string& host, int port) {
    vlm::TNetConnection probe(nullptr, "netInicio");
    probe.Host = host;
    probe.Port = port;
    probe.TimeoutSeconds = 10;
    try {
        probe.Open();
    } catch (const vcl::Exception& error) {
        throw StartupFailure(error.what(), {});
    }
}

}  // namespace

DesktopHost::DesktopHost(DesktopOptions options)
    : options_(std::move(options)),
      dtmDBGeral_(std::make_unique<vlm::TdtmDBGeral>(options_.db)),
      application_(std::make_unique<vcl::TApplication>(screen_)),
      loop_(std::make_unique<HostLoop>(*application_)),
      services_(std::make_unique<QtHostServices>(*loop_)),
      waiter_(std::make_unique<QtCallWaiter>(*services_)) {
    try {
        PrepareDatabase(options_.db);
    } catch (const std::exception& error) {
        throw StartupFailure("Não foi possível abrir o banco de dados. Verifique a configuração da conexão.",
                             error.what());
    }

    vlm::THostConfig config;
    config.filiProc = options_.filial;
    if (options_.server) {
        const auto colon = options_.server->rfind(':');
        config.webUrl = options_.server->substr(0, colon);
        config.webPort = std::stoi(options_.server->substr(colon + 1));
        CheckServer(config.webUrl, config.webPort);
    } else {
        server::AppServerOptions serverOptions;
        serverOptions.threads = 4;
        serverOptions.quiet = true;
        config.webUrl = "127.0.0.1";
        try {
            server_ = std::make_unique<server::AppServer>(options_.db, serverOptions);
            config.webPort = server_->start("127.0.0.1", 0);
        } catch (const std::exception& error) {
            throw StartupFailure("Não foi possível iniciar o servidor de aplicação interno.", error.what());
        }
    }
    host_ = std::make_unique<vlm::THost>(
        vlm::THost{*application_, *services_, config, *dtmDBGeral_, waiter_.get()});
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

    try {
        package_ = std::make_unique<PackageLibrary>(
            options_.packagePath.empty() ? PackageLibrary::DefaultPath() : options_.packagePath);
        package_->Initialize(*host_);
    } catch (const std::exception& error) {
        throw StartupFailure("Não foi possível carregar o módulo Remessa para análise.", error.what());
    }
}

DesktopHost::~DesktopHost() {
    // Windows first (they show the package's forms), then the package frees
    // its forms, then the host context, the application, the server.
    loop_->CloseWindows();
    services_->HideBusy();
    package_.reset();
    window_.reset();
    host_.reset();
    waiter_.reset();
    services_.reset();
    loop_.reset();
    application_.reset();
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
