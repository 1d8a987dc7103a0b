#include "qt/host_loop.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QEventLoop>
#include <QLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QVBoxLayout>
#include <algorithm>

namespace zrmqt {

namespace {

// The frame of a modal form: closing it asks the form to close, Escape
// belongs to the form's controls.
class ModalDialog : public QDialog {
public:
    ModalDialog(vcl::TForm& form, ActionSink& sink, QWidget* parent)
        : QDialog(parent), form_(form), sink_(sink) {}
    void reject() override {}

protected:
    void closeEvent(QCloseEvent* event) override {
        event->ignore();
        sink_.Act([this] { form_.Close(); });
    }

private:
    vcl::TForm& form_;
    ActionSink& sink_;
};

QWidget* MainWindowOf(QWidget* any) {
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->inherits("QMainWindow") && top->isVisible()) {
            return top;
        }
    }
    return any;
}

}  // namespace

HostLoop::HostLoop(vcl::TApplication& application) : application_(application) {
    application_.SetHostLoop(this);
}

HostLoop::~HostLoop() {
    CloseWindows();
    if (application_.HostLoop() == this) {
        application_.SetHostLoop(nullptr);
    }
    if (waitCursor_) {
        QApplication::restoreOverrideCursor();
    }
}

bool HostLoop::Act(const std::function<void()>& action) {
    const bool completed = application_.Dispatch(action);
    Sync();
    return completed;
}

bool HostLoop::Run(const std::function<void()>& action) {
    return application_.Dispatch(action);
}

bool HostLoop::Alive(const vcl::TForm& form) const {
    const std::vector<vcl::TForm*> live = application_.Forms();
    return std::find(live.begin(), live.end(), &form) != live.end();
}

const HostLoop::Window* HostLoop::Find(const vcl::TForm& form) const {
    const auto found =
        std::find_if(windows_.begin(), windows_.end(), [&](const Window& w) { return w.form == &form; });
    return found != windows_.end() ? &*found : nullptr;
}

FormView* HostLoop::ViewOf(const vcl::TForm& form) const {
    const Window* window = Find(form);
    return window != nullptr ? window->view.data() : nullptr;
}

QWidget* HostLoop::WindowOf(const vcl::TForm& form) const {
    const Window* window = Find(form);
    return window != nullptr ? window->frame.data() : nullptr;
}

FormView* HostLoop::ViewNamed(std::string_view formName) const {
    for (const Window& window : windows_) {
        if (window.view != nullptr && window.form->Name() == formName) {
            return window.view;
        }
    }
    return nullptr;
}

void HostLoop::DropWindow(std::size_t index) {
    Window window = windows_[index];
    windows_.erase(windows_.begin() + static_cast<std::ptrdiff_t>(index));
    if (window.frame != nullptr) {
        // Deleted later: the widget that reported the user's action may be
        // inside it and still running.
        window.frame->removeEventFilter(this);
        window.frame->hide();
        window.frame->deleteLater();
    }
}

void HostLoop::CloseWindows() {
    while (!windows_.empty()) {
        Window window = windows_.back();
        windows_.pop_back();
        delete window.frame.data();
    }
}

void HostLoop::OpenWindow(vcl::TForm& form) {
    auto* view = new FormView(form, *this);
    QWidget* frame = nullptr;
    if (form.FormStyle == vcl::TFormStyle::MDIChild && mdiArea_ != nullptr) {
        QMdiSubWindow* sub = mdiArea_->addSubWindow(view);
        sub->setAttribute(Qt::WA_DeleteOnClose, false);
        sub->adjustSize();
        sub->move(form.Left, form.Top);
        frame = sub;
    } else {
        view->setWindowFlag(Qt::Window);
        view->move(form.Left, form.Top);
        frame = view;
    }
    frame->setWindowTitle(QString::fromStdString(form.Caption));
    frame->installEventFilter(this);
    windows_.push_back(Window{&form, view, frame, false});
    frame->show();
    if (auto* sub = qobject_cast<QMdiSubWindow*>(frame)) {
        mdiArea_->setActiveSubWindow(sub);
    }
}

bool HostLoop::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Close) {
        for (const Window& window : windows_) {
            if (window.frame == watched && !window.modal) {
                event->ignore();
                vcl::TForm* form = window.form;
                Act([form] { form->Close(); });
                return true;
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

void HostLoop::Sync() {
    const std::vector<vcl::TForm*> live = application_.Forms();
    auto alive = [&](const vcl::TForm* form) {
        return std::find(live.begin(), live.end(), form) != live.end();
    };
    // Windows of freed forms, or of a new form that took a freed one's place.
    for (std::size_t i = windows_.size(); i-- > 0;) {
        Window& window = windows_[i];
        if (!alive(window.form) || window.view == nullptr) {
            DropWindow(i);
        } else if (window.view->Built() != window.view->CurrentControls()) {
            // The form's controls changed (or another form took a freed one's
            // place): the view is built again.
            if (window.modal) {
                window.view->hide();
                window.view->deleteLater();
                window.view = new FormView(*window.form, *this, window.frame);
                window.frame->layout()->addWidget(window.view);
                window.view->show();
            } else {
                DropWindow(i);
            }
        } else if (!window.modal && !window.form->Visible()) {
            DropWindow(i);
        }
    }
    for (vcl::TForm* form : live) {
        if (form->Visible() && !form->Modal() && Find(*form) == nullptr) {
            OpenWindow(*form);
        }
    }
    for (const Window& window : windows_) {
        if (window.view != nullptr) {
            window.view->Sync();
            window.frame->setWindowTitle(QString::fromStdString(window.form->Caption));
        }
    }
    for (const ModalRun& run : modal_) {
        if (!alive(run.form) || !run.form->Visible()) {
            run.loop->quit();
        }
    }
    ApplyCursor();
    emit Synced();
}

void HostLoop::ApplyCursor() {
    const bool wait = application_.Screen().Cursor == static_cast<int>(vcl::TCursor::HourGlass);
    if (wait != waitCursor_) {
        waitCursor_ = wait;
        if (wait) {
            QApplication::setOverrideCursor(Qt::WaitCursor);
        } else {
            QApplication::restoreOverrideCursor();
        }
    }
}

void HostLoop::ShowError(const std::string& message) {
    if (reportError_) {
        reportError_(message);
        return;
    }
    QMessageBox::critical(QApplication::activeWindow(), QStringLiteral("Erro"),
                          QString::fromStdString(message));
}

void HostLoop::RunModal(vcl::TForm& form) {
    QWidget* parent = QApplication::activeModalWidget();
    if (parent == nullptr) {
        parent = MainWindowOf(QApplication::activeWindow());
    }
    auto* dialog = new ModalDialog(form, *this, parent);
    auto* layout = new QVBoxLayout(dialog);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* view = new FormView(form, *this, dialog);
    layout->addWidget(view);
    dialog->setWindowTitle(QString::fromStdString(form.Caption));
    dialog->setModal(true);
    dialog->setFixedSize(view->size());
    if (parent != nullptr) {
        dialog->move(parent->mapToGlobal(QPoint(form.Left, form.Top)));
    }
    windows_.push_back(Window{&form, view, dialog, true});

    QEventLoop loop;
    modal_.push_back(ModalRun{&form, &loop});
    dialog->show();
    Sync();
    if (form.Visible()) {
        loop.exec(QEventLoop::DialogExec);
    }
    modal_.erase(
        std::find_if(modal_.begin(), modal_.end(), [&](const ModalRun& run) { return run.loop == &loop; }));
    for (std::size_t i = 0; i < windows_.size(); ++i) {
        if (windows_[i].frame == dialog) {
            DropWindow(i);
            break;
        }
    }
    Sync();
}

}  // namespace zrmqt
