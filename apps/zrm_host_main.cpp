// zrm-host: the desktop host. `zrm-host --help` lists the options; Qt's own
// (-platform offscreen, ...) go to Qt. Without --server it runs the
// application server in-process over the same database; with it, a login
// window comes first. --tour walks a whole remittance and leaves a PNG per
// step in DIR.
#include <QApplication>
#include <csignal>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "db/connection.h"
#include "qt/desktop_host.h"
#include "qt/main_window.h"
#include "qt/portuguese.h"
#include "qt/startup_failure.h"
#include "qt/tour.h"
#include "vcl/memory_advice.h"

int main(int argc, char** argv) {
    // A peer that closes a TLS connection while it is written to must fail
    // that write, not end the process.
    std::signal(SIGPIPE, SIG_IGN);
    // Each search loads its result into memory the last one freed.
    vcl::KeepFreedMemoryForReuse();
    std::string message;
    int exitCode = 2;
    const auto line = zrmqt::ParseCommandLine(argc, argv, message, &exitCode);
    if (!line) {
        std::fputs(message.c_str(), exitCode == 0 ? stdout : stderr);
        return exitCode;
    }
    // Qt sees the program name and its own options only.
    std::vector<std::string> qtWords{argv[0]};
    qtWords.insert(qtWords.end(), line->qtArguments.begin(), line->qtArguments.end());
    std::vector<char*> qtArgv;
    for (std::string& word : qtWords)
        qtArgv.push_back(word.data());
    qtArgv.push_back(nullptr);
    int qtArgc = static_cast<int>(qtWords.size());
    QApplication app(qtArgc, qtArgv.data());
    if (!zrmqt::InstallPortuguese(app)) {
        std::fprintf(stderr, "zrm-host: Qt's pt_BR translations are missing (qt6-translations-l10n)\n");
    }
    try {
        zrmqt::DesktopHost host(line->options);
        host.Window().show();
        if (line->tourDir) {
            zrmqt::Tour tour(host, QString::fromStdString(*line->tourDir));
            QObject::connect(&tour, &zrmqt::Tour::Finished, &app,
                             [&app](int failures) { app.exit(failures == 0 ? 0 : 1); });
            tour.Start();
            return app.exec();
        }
        host.OpenScreen();
        return app.exec();
    } catch (const zrmqt::LoginCancelled&) {
        return 1;  // the user's own choice: nothing to report
    } catch (const std::exception& failure) {
        return zrmqt::ReportStartupFailure(failure, !line->tourDir);
    }
}
