// Answers the modal windows a test action opens: each handler, in order,
// receives the next modal window that appears (message box, pick list,
// dialog) and closes it. Runs from a timer, so it also works inside the
// nested event loops the modal windows run.
#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <deque>
#include <functional>
#include <vector>

class ModalScript : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<void(QWidget* modal)>;
    ModalScript();
    ~ModalScript() override;

    void Then(Handler handler) { handlers_.push_back(std::move(handler)); }
    // Records a message box's text and presses its first button.
    void ThenMessage();
    // A modal window that no handler expects, or that its handler left open,
    // is closed (and noted in Messages) so that a failing test ends instead
    // of waiting in the window's event loop.
    // Handlers not yet used (each expected modal window appeared when this is 0).
    int Pending() const { return static_cast<int>(handlers_.size()); }
    // Texts of the message boxes seen, oldest first.
    QStringList Messages() const { return messages_; }

private:
    void Poll();

    std::deque<Handler> handlers_;
    std::vector<QPointer<QWidget>> handled_;
    QPointer<QWidget> lingering_;
    int lingeringPolls_ = 0;
    QStringList messages_;
    bool stopped_ = false;
};
