#include "qt/call_waiter.h"

#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QPushButton>
#include <QTimer>

#include "qt/host_services_qt.h"
#include "vcl/scope_exit.h"

namespace zrmqt {

namespace {

constexpr int kTickMs = 50;

bool IsUserInput(const QEvent& event) {
    switch (event.type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::Close:
            return true;
        default:
            return false;
    }
}

}  // namespace

QtCallWaiter::QtCallWaiter(QtHostServices& services) : services_(services) {}

bool QtCallWaiter::Wait(const vlm::TCallProgress& progress) {
    if (progress.Done()) {
        return true;
    }
    waiting_ = true;
    cancelled_ = false;
    overlay_ = nullptr;
    qApp->installEventFilter(this);
    const vcl::Finally restore([this] {
        qApp->removeEventFilter(this);
        services_.EndCall();
        overlay_ = nullptr;
        waiting_ = false;
    });
    QEventLoop loop;
    QTimer tick;
    tick.setInterval(kTickMs);
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        if (progress.Done() || cancelled_) {
            loop.quit();
            return;
        }
        if (progress.Elapsed() < kProgressAfter) {
            return;
        }
        if (overlay_ == nullptr) {
            overlay_ = services_.OverlayForCall();
        }
        if (overlay_ != nullptr) {
            overlay_->ShowProgress(progress.Elapsed(), progress.Received(), [this, &loop] {
                cancelled_ = true;
                loop.quit();
            });
        }
    });
    tick.start();
    loop.exec();
    return !cancelled_;
}

bool QtCallWaiter::eventFilter(QObject* watched, QEvent* event) {
    if (!waiting_ || !IsUserInput(*event)) {
        return false;
    }
    QPushButton* cancel = overlay_ != nullptr ? overlay_->CancelButton() : nullptr;
    if (cancel != nullptr && cancel->isVisible()) {
        if (watched == cancel) {
            return false;  // the one thing the user may do now
        }
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            overlay_->Cancel();
        }
    }
    return true;
}

}  // namespace zrmqt
