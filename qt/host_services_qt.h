// The host's user-facing services with Qt dialogs: message boxes of the
// right kind, the pick list, the busy overlay over a form and the detail
// window.
#pragma once

#include <QPointer>
#include <QWidget>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "contracts/host_services.h"

class QPushButton;

namespace zrmqt {

class HostLoop;

// The busy animation: a veil over the form with a turning wheel and a text.
// During a long server call it also shows the elapsed time and the data
// received, and a "Cancelar" button.
class BusyOverlay : public QWidget {
    Q_OBJECT
public:
    BusyOverlay(const QString& text, QWidget* parent);
    QString Text() const { return text_; }

    // Shows (or updates) the call's progress; `cancel` runs when the user
    // presses "Cancelar" (or Escape).
    void ShowProgress(std::chrono::milliseconds elapsed, std::uint64_t received,
                      std::function<void()> cancel);
    QString ProgressText() const { return progress_; }
    // The "Cancelar" button; nullptr before any progress is shown.
    QPushButton* CancelButton() const { return cancel_; }
    void Cancel();
    // The call ended: back to the plain animation.
    void EndProgress();

protected:
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QRect Box() const;

    QString text_;
    QString progress_;
    QPushButton* cancel_ = nullptr;
    std::function<void()> onCancel_;
    int step_ = 0;
};

// "3 s, 1,2 MB recebidos": elapsed time and data received, as the overlay says them.
QString ProgressDescription(std::chrono::milliseconds elapsed, std::uint64_t received);

class QtHostServices : public contracts::IHostServices {
public:
    explicit QtHostServices(HostLoop& loop);
    ~QtHostServices() override;

    contracts::TMsgDlgBtn ShowMessage(contracts::TMsgDlgType type, const std::string& text,
                                      const std::vector<contracts::TMsgDlgBtn>& buttons) override;
    std::optional<int> PickRow(const std::string& title, const contracts::TextTable& table) override;
    void ShowBusy(vcl::TForm& form, int animation, const std::string& text) override;
    void HideBusy() override;
    void ShowDetail(const std::string& title, const std::string& subtitle,
                    const contracts::TextTable& table) override;

    // The overlay shown now; nullptr when none.
    BusyOverlay* Busy() const { return busy_.data(); }
    // The overlay a long call shows its progress on: the busy animation
    // shown now, else one of the call's own over the active window (removed
    // by EndCall); nullptr when nothing is on screen.
    BusyOverlay* OverlayForCall();
    // The busy animation or the call's own overlay; nullptr when none is shown.
    BusyOverlay* ShownOverlay() const { return busy_ != nullptr ? busy_.data() : callOverlay_.data(); }
    void EndCall();

private:
    QWidget* DialogParent() const;

    HostLoop& loop_;
    QPointer<BusyOverlay> busy_;
    QPointer<BusyOverlay> callOverlay_;  // shown for a call the module showed no animation for
};

}  // namespace zrmqt
