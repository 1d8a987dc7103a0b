// The login window shown before the menu when the host works with a separate
// application server: "Usuário", "Senha", "Entrar", "Cancelar". Keyboard
// only: Enter logs in, Escape cancels. A refused login shows the server's
// text and keeps the window open with the password cleared.
#pragma once

#include <QDialog>
#include <functional>
#include <string>

#include "vlm/login_client.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace zrmqt {

class LoginDialog : public QDialog {
    Q_OBJECT
public:
    using Attempt = std::function<vlm::TLoginResult(const std::string& user, const std::string& password)>;

    LoginDialog(QString serverName, QString user, Attempt attempt, QWidget* parent = nullptr);

    // What the accepted login answered.
    const vlm::TLoginResult& Result() const { return result_; }

    QLineEdit& UserEdit() const { return *user_; }
    QLineEdit& PasswordEdit() const { return *password_; }
    QPushButton& LoginButton() const { return *login_; }
    QLabel& ErrorLabel() const { return *error_; }

private:
    void TryLogin();

    Attempt attempt_;
    vlm::TLoginResult result_;
    QLineEdit* user_;
    QLineEdit* password_;
    QPushButton* login_;
    QPushButton* cancel_;
    QLabel* error_;
};

}  // namespace zrmqt
