// Waits for a server call running on a worker thread while the desktop stays
// alive: repaints go on, user input is held off (the forms must not run
// events in the middle of a call), and after a second the busy overlay shows
// the elapsed time, the data received and "Cancelar", which abandons the call.
#pragma once

#include <QObject>
#include <chrono>

#include "vlm/call_wait.h"

namespace zrmqt {

class QtHostServices;
class BusyOverlay;

class QtCallWaiter : public QObject, public vlm::ICallWaiter {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds kProgressAfter{1000};

    explicit QtCallWaiter(QtHostServices& services);
    bool Wait(const vlm::TCallProgress& progress) override;
    // Whether a call is being waited for now (a driver such as the tour holds
    // its next step meanwhile).
    bool Waiting() const { return waiting_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QtHostServices& services_;
    BusyOverlay* overlay_ = nullptr;  // showing the progress of the call waited for
    bool waiting_ = false;
    bool cancelled_ = false;
};

}  // namespace zrmqt
