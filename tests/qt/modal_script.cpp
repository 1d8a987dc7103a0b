#include "modal_script.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <algorithm>

ModalScript::ModalScript() { QTimer::singleShot(10, this, &ModalScript::Poll); }

ModalScript::~ModalScript() { stopped_ = true; }

void ModalScript::ThenMessage() {
    Then([this](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (box == nullptr) {
            messages_ << QStringLiteral("<not a message box: %1>").arg(modal->metaObject()->className());
            modal->close();
            return;
        }
        messages_ << box->text();
        box->buttons().first()->click();
    });
}

void ModalScript::Poll() {
    if (stopped_) {
        return;
    }
    // Scheduled before the handler runs: a handler that opens another modal
    // window blocks in its loop, where the next poll must still come.
    QTimer::singleShot(10, this, &ModalScript::Poll);
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || handlers_.empty() || !modal->isVisible()) {
        return;
    }
    const bool seen = std::any_of(handled_.begin(), handled_.end(), [&](const auto& w) { return w == modal; });
    if (seen) {
        return;
    }
    handled_.emplace_back(modal);
    Handler handler = std::move(handlers_.front());
    handlers_.pop_front();
    handler(modal);
}
