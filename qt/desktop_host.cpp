#include "qt/desktop_host.h"

#include <QString>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "apps/options/common_options.h"
#include "apps/options/host_options.h"
#include "db/connection.h"
#include "db/init_db.h"
#include "db/schema_version.h"
#include "qt/call_waiter.h"
#include "qt/form_view.h"
#include "qt/host_loop.h"
#include "qt/host_services_qt.h"
#include "qt/login_dialog.h"
#include "qt/main_window.h"
#include "qt/package_library.h"
#include "qt/startup_failure.h"
#include "server/app_server.h"
#include "vcl/exceptions.h"
#include "vlm/db_geral.h"
#include "vlm/login_client.h"
#include "vlm/net_connection.h"
#include "vlm/remote_lookup.h"
#include "vlm/server_url.h"

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
    if (!options.server.empty()) {
        line.options.server = options.server;
        // A desktop pointed at a server and at no database holds no
        // database account: its lookups go through the server too.
        line.options.remoteLookups = options.db.empty();
    }
    line.options.user = options.user;
    line.options.passwordFile = options.passwordFile;
    line.options.caFile = options.ca;
    line.options.insecure = options.insecure;
    // Plain http only on loopback, unless the user insists.
    if (line.options.server && !vlm::ParseServerUrl(*line.options.server, line.options.insecure, error)) {
        if (exitCode)
            *exitCode = 2;
        return std::nullopt;
    }
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
      services_(std::make_unique<QtHostServices>(*loop_)),
      waiter_(std::make_unique<QtCallWaiter>(*services_)) {
    // Only the embedded default's own file gets schema changes; any other
    // database must already hold this version. Remote lookups need none.
    try {
        if (!options_.server && options_.db == kEmbeddedDatabase) {
            PrepareDatabase(options_.db);
        } else if (!options_.server) {
            soci::session session;
            db::Open(session, options_.db);
            db::RequireCurrentSchema(session, options_.db);
        }
    } catch (const std::exception& error) {
        throw StartupFailure("Não foi possível abrir o banco de dados. Verifique a configuração da conexão.",
                             db::MaskPassword(error.what()));
    }

    vlm::THostConfig config;
    config.filiProc = options_.filial;
    if (options_.server) {
        LogIn(config);
        if (options_.remoteLookups) {
            lookupConnection_ = std::make_unique<vlm::TNetConnection>(nullptr, "netDBGeral");
            lookupConnection_->Host = config.webUrl;
            lookupConnection_->Port = config.webPort;
            lookupConnection_->Access = config.server;  // the login's session and TLS
            dtmDBGeral_->SetRemote(vlm::MakeRemoteLookup(*lookupConnection_));
        }
    } else {
        server::AppServerOptions serverOptions;
        serverOptions.threads = 4;
        serverOptions.quiet = true;
        config.webUrl = "127.0.0.1";
        try {
            server_ = std::make_unique<server::AppServer>(options_.db, serverOptions);
            config.webPort = server_->Start("127.0.0.1", 0);
        } catch (const std::exception& error) {
            throw StartupFailure("Não foi possível iniciar o servidor de aplicação interno.", error.what());
        }
        // No password on the embedded default: the in-process server hands
        // the host a session for the local user.
        config.server.token = server_->OpenSession(server::LocalCaller(config.filiProc));
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
            .arg(QString::fromStdString(options_.remoteLookups ? std::string("consultas pelo servidor")
                                                               : db::MaskPassword(options_.db))));

    try {
        package_ = std::make_unique<PackageLibrary>(
            options_.packagePath.empty() ? PackageLibrary::DefaultPath() : options_.packagePath);
        package_->Initialize(*host_);
    } catch (const std::exception& error) {
        throw StartupFailure("Não foi possível carregar o módulo Remessa para análise.", error.what());
    }
}

void DesktopHost::LogIn(vlm::THostConfig& config) {
    std::string error;
    const auto url = vlm::ParseServerUrl(*options_.server, options_.insecure, error);
    if (!url)
        throw StartupFailure("Endereço do servidor de aplicação inválido.", error);
    // An unreachable or untrusted server is a start-up failure, told before
    // the password is asked for.
    vlm::TNetConnection probe(nullptr, "netInicio");
    probe.Host = url->host;
    probe.Port = url->port;
    probe.TimeoutSeconds = 10;
    probe.Access = vlm::TServerAccess{url->tls, options_.caFile, {}};
    try {
        probe.Open();
    } catch (const vcl::Exception& failure) {
        throw StartupFailure(failure.what(), {});
    }
    const auto attempt = [&](const std::string& user, const std::string& password) {
        return vlm::LoginToServer(*url, options_.caFile, user, password);
    };
    vlm::TLoginResult result;
    if (!options_.passwordFile.empty()) {
        std::ifstream file(options_.passwordFile);
        std::string password;
        if (!file || !std::getline(file, password))
            throw StartupFailure("Não foi possível ler o arquivo de senha " + options_.passwordFile + ".",
                                 {});
        if (!password.empty() && password.back() == '\r')
            password.pop_back();
        result = attempt(options_.user, password);
        std::fill(password.begin(), password.end(), '\0');
        if (!result.ok)
            throw StartupFailure(result.error, {});
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
    waiter_.reset();
    services_.reset();
    loop_.reset();
    application_.reset();
    if (logout_)
        logout_();
    if (server_) {
        server_->Stop();
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
