// The host's main window: an MDI area with the menu entry that opens the
// screen "Remessa para análise".
#pragma once

#include <QMainWindow>
#include <functional>

class QMdiArea;
class QAction;

namespace zrmqt {

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(std::function<void()> openScreen, QWidget* parent = nullptr);
    QMdiArea* MdiArea() const { return mdiArea_; }
    QAction* OpenScreenAction() const { return openScreen_; }
    void SetStatus(const QString& text);

private:
    QMdiArea* mdiArea_;
    QAction* openScreen_;
};

}  // namespace zrmqt
