// The host's user-facing services with Qt dialogs: message boxes of the
// right kind, the pick list, the busy overlay over a form and the detail
// window.
#pragma once

#include <QPointer>
#include <QWidget>
#include <string>

#include "contracts/host_services.h"

namespace zrmqt {

class HostLoop;

// The busy animation: a veil over the form with a turning wheel and a text.
class BusyOverlay : public QWidget {
    Q_OBJECT
public:
    BusyOverlay(const QString& text, QWidget* parent);
    QString Text() const { return text_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    QString text_;
    int step_ = 0;
};

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

private:
    QWidget* DialogParent() const;

    HostLoop& loop_;
    QPointer<BusyOverlay> busy_;
};

}  // namespace zrmqt
