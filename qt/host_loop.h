// The Qt side of the application object: runs every user action through the
// dispatcher, re-renders every open form afterwards, gives each shown form a
// window (an MDI child, a top-level window, or a modal dialog with its own
// nested event loop), and mirrors the screen cursor.
#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "qt/form_view.h"
#include "vcl/forms.h"

class QMdiArea;
class QEventLoop;

namespace zrmqt {

class HostLoop : public QObject, public vcl::THostLoop, public ActionSink {
    Q_OBJECT
public:
    explicit HostLoop(vcl::TApplication& application);
    ~HostLoop() override;
    HostLoop(const HostLoop&) = delete;
    HostLoop& operator=(const HostLoop&) = delete;

    vcl::TApplication& Application() const { return application_; }
    // MDI children open here; without an area they open as top-level windows.
    void SetMdiArea(QMdiArea* area) { mdiArea_ = area; }
    // How ShowError reaches the user (the host services' error dialog).
    void SetErrorReporter(std::function<void(const std::string&)> reporter) {
        reportError_ = std::move(reporter);
    }

    bool Act(const std::function<void()>& action) override;
    bool Run(const std::function<void()>& action) override;
    bool Alive(const vcl::TForm& form) const override;
    // Re-renders: windows for newly shown forms, none for hidden or freed
    // ones, every view's contents and focus, modal loops ended whose form is
    // hidden, and the cursor.
    void Sync();
    // Removes every window (before the forms they show are freed).
    void CloseWindows();

    FormView* ViewOf(const vcl::TForm& form) const;
    FormView* ViewNamed(std::string_view formName) const;
    // The window that frames the form: MDI child, dialog or top-level widget.
    QWidget* WindowOf(const vcl::TForm& form) const;

    void ShowError(const std::string& message) override;
    void RunModal(vcl::TForm& form) override;

signals:
    // After every re-render.
    void Synced();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Window {
        vcl::TForm* form;
        QPointer<FormView> view;
        QPointer<QWidget> frame;
        bool modal;
    };
    struct ModalRun {
        vcl::TForm* form;
        QEventLoop* loop;
    };

    void OpenWindow(vcl::TForm& form);
    void DropWindow(std::size_t index);
    void ApplyCursor();
    const Window* Find(const vcl::TForm& form) const;

    vcl::TApplication& application_;
    QMdiArea* mdiArea_ = nullptr;
    std::function<void(const std::string&)> reportError_;
    std::vector<Window> windows_;
    std::vector<ModalRun> modal_;
    bool waitCursor_ = false;
};

}  // namespace zrmqt
