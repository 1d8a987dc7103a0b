#include "qt/main_window.h"

#include <QAction>
#include <QMdiArea>
#include <QMenuBar>
#include <QStatusBar>

namespace zrmqt {

MainWindow::MainWindow(std::function<void()> openScreen, QWidget* parent)
    : QMainWindow(parent), mdiArea_(new QMdiArea(this)) {
    setWindowTitle(QStringLiteral("zrm-host"));
    mdiArea_->setBackground(QColor(128, 128, 128));
    setCentralWidget(mdiArea_);

    QMenu* modules = menuBar()->addMenu(QStringLiteral("&Estoque"));
    openScreen_ = modules->addAction(QStringLiteral("Remessa para análise"));
    connect(openScreen_, &QAction::triggered, this, [open = std::move(openScreen)] { open(); });
    modules->addSeparator();
    QAction* quit = modules->addAction(QStringLiteral("Sair"));
    connect(quit, &QAction::triggered, this, &QMainWindow::close);

    QMenu* windows = menuBar()->addMenu(QStringLiteral("&Janelas"));
    connect(windows->addAction(QStringLiteral("Cascata")), &QAction::triggered, mdiArea_,
            &QMdiArea::cascadeSubWindows);
    connect(windows->addAction(QStringLiteral("Lado a lado")), &QAction::triggered, mdiArea_,
            &QMdiArea::tileSubWindows);
    resize(1400, 720);
}

void MainWindow::SetStatus(const QString& text) {
    statusBar()->showMessage(text);
}

}  // namespace zrmqt
