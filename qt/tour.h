// The tour: walks a whole remittance through the Qt widgets, as a user
// would, and leaves a PNG of every step in a folder.
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QWidget;

namespace zrmqt {

class DesktopHost;
class LoginDialog;

class Tour : public QObject {
    Q_OBJECT
public:
    Tour(DesktopHost& host, QString folder);
    ~Tour() override;
    // Runs the steps one after the other from the event loop; each may open
    // a modal window, inside which the next step runs.
    void Start();
    int Failures() const { return failures_; }
    const std::vector<QString>& Pictures() const { return pictures_; }

signals:
    void Finished(int failures);

private:
    struct Step {
        QString picture;  // empty: no picture after the step
        std::function<void()> action;
        std::function<QWidget*()> shown;  // what to photograph
    };

    void Next();
    void Fail(const QString& what);
    void Shoot(const QString& name, QWidget* widget);
    void BuildSteps();
    // A call to a server that never answers, photographed once its overlay
    // shows the progress, then cancelled as the user would.
    void PhotographLongCall(const QString& name, const std::function<QWidget*()>& shown);

    DesktopHost& host_;
    QString folder_;
    std::vector<Step> steps_;
    std::size_t next_ = 0;
    int failures_ = 0;
    std::vector<QString> pictures_;
    // The login window as a separate server shows it (the tour itself runs
    // on the embedded default, which needs none).
    std::unique_ptr<LoginDialog> login_;
};

}  // namespace zrmqt
