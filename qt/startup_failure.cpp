#include "qt/startup_failure.h"

#include <QMessageBox>
#include <cstdio>

#include "db/connection.h"

namespace zrmqt {

std::string StartupFailureText(const std::exception& failure) {
    if (const auto* known = dynamic_cast<const StartupFailure*>(&failure)) {
        return known->UserText();
    }
    return "O sistema não pôde ser iniciado. Os detalhes foram registrados no log.";
}

int ReportStartupFailure(const std::exception& failure, bool showWindow) {
    // Connection texts in the detail never show their password.
    std::fprintf(stderr, "zrm-host: %s\n", db::MaskPassword(failure.what()).c_str());
    if (showWindow) {
        QMessageBox box(QMessageBox::Critical, QStringLiteral("Remessa para análise"),
                        QString::fromStdString(StartupFailureText(failure)), QMessageBox::Ok);
        box.exec();
    }
    return 1;
}

}  // namespace zrmqt
