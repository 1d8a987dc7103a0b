// zrm-host [--db CONNECT] [--server URL] [--user NAME] [--password-file FILE]
// [--ca FILE] [--insecure] [--filial CODE] [--tour DIR]: the desktop host.
// Without --server it runs the application server in-process over the same
// database; with it, a login window comes first. --tour walks a whole remittance and
// leaves a PNG per step in DIR (use the offscreen platform without a display).
#include <QApplication>
#include <csignal>
#include <cstdio>
#include <exception>
#include <string>

#include "qt/desktop_host.h"
#include "qt/main_window.h"
#include "qt/tour.h"

int main(int argc, char** argv) {
    // A peer that closes a TLS connection while it is written to must fail
    // that write, not end the process.
    std::signal(SIGPIPE, SIG_IGN);
    std::string error;
    const auto line = zrmqt::ParseCommandLine(argc, argv, error);
    if (!line) {
        std::fprintf(
            stderr,
            "zrm-host: %s\nusage: zrm-host [--db CONNECT] [--server https://HOST:PORT] [--user NAME] "
            "[--password-file FILE] [--ca FILE] [--insecure] [--filial CODE] [--tour DIR]\n",
            error.c_str());
        return 2;
    }
    QApplication app(argc, argv);
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
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "zrm-host: %s\n", failure.what());
        return 1;
    }
}
