#include "qt/desktop_host.h"

#include <QString>
#include <filesystem>
#include <sstream>
#include <stdexcept>

#include "apps/options/common_options.h"
#include "apps/options/host_options.h"
#include "db/connection.h"
#include "db/init_db.h"
#include "qt/form_view.h"
#include "qt/host_loop.h"
#include "qt/host_services_qt.h"
#include "qt/main_window.h"
#include "qt/package_library.h"
#include "server/app_server.h"
#include "vlm/db_geral.h"

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
        const auto colon = options_.server->rfind(':');
        config.webUrl = options_.server->substr(0, colon);
        config.webPort = std::stoi(options_.server->substr(colon + 1));
    } else {
        server::AppServerOptions serverOptions;
        serverOptions.threads = 4;
        serverOptions.quiet = true;
        server_ = std::make_unique<server::AppServer>(options_.db, serverOptions);
        config.webUrl = "127.0.0.1";
        config.webPort = server_->start("127.0.0.1", 0);
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
