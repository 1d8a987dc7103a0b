#include "modal_script.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTableWidget>
#include <QTimer>
#include <algorithm>

ModalScript::ModalScript() {
    QTimer::singleShot(10, this, &ModalScript::Poll);
}

ModalScript::~ModalScript() {
    stopped_ = true;
}

void ModalScript::ThenMessage() {
    Then([this](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (box == nullptr) {
            QStringList cells;
            if (auto* table = modal->findChild<QTableWidget*>()) {
                for (int r = 0; r < table->rowCount(); ++r) {
                    for (int c = 0; c < table->columnCount(); ++c) {
                        cells << (table->item(r, c) ? table->item(r, c)->text() : QString());
                    }
                }
            }
            messages_ << QStringLiteral("<%1 \"%2\": %3>")
                             .arg(modal->metaObject()->className(), modal->windowTitle(), cells.join(", "));
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
    if (modal == nullptr || !modal->isVisible()) {
        return;
    }
    const bool seen =
        std::any_of(handled_.begin(), handled_.end(), [&](const auto& w) { return w == modal; });
    if (seen || handlers_.empty()) {
        lingeringPolls_ = lingering_ == modal ? lingeringPolls_ + 1 : 0;
        lingering_ = modal;
        if (lingeringPolls_ == 100) {
            const auto* box = qobject_cast<QMessageBox*>(modal);
            messages_ << QStringLiteral("<left open: %1>").arg(box ? box->text() : modal->windowTitle());
            modal->close();
        }
        return;
    }
    handled_.emplace_back(modal);
    Handler handler = std::move(handlers_.front());
    handlers_.pop_front();
    handler(modal);
}
