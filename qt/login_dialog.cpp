#include "qt/login_dialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace zrmqt {

namespace {

constexpr int kMaxUserChars = 20;
constexpr int kMaxPasswordChars = 1024;

}  // namespace

LoginDialog::LoginDialog(QString serverName, QString user, Attempt attempt, QWidget* parent)
    : QDialog(parent), attempt_(std::move(attempt)) {
    setWindowTitle(QStringLiteral("Acesso ao servidor de aplicação"));
    setModal(true);

    auto* server = new QLabel(QStringLiteral("Servidor: %1").arg(serverName), this);
    user_ = new QLineEdit(user, this);
    user_->setMaxLength(kMaxUserChars);
    password_ = new QLineEdit(this);
    password_->setEchoMode(QLineEdit::Password);
    password_->setMaxLength(kMaxPasswordChars);
    error_ = new QLabel(this);
    error_->setWordWrap(true);
    error_->setStyleSheet(QStringLiteral("color: #b00020;"));
    error_->hide();

    login_ = new QPushButton(QStringLiteral("Entrar"), this);
    cancel_ = new QPushButton(QStringLiteral("Cancelar"), this);
    // Enter anywhere in the window logs in; Escape rejects (QDialog's own).
    login_->setDefault(true);
    login_->setAutoDefault(true);
    cancel_->setAutoDefault(false);
    connect(login_, &QPushButton::clicked, this, &LoginDialog::TryLogin);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);

    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("Usuário"), user_);
    fields->addRow(QStringLiteral("Senha"), password_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(login_);
    buttons->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(server);
    layout->addLayout(fields);
    layout->addWidget(error_);
    layout->addLayout(buttons);
    setMinimumWidth(360);

    setTabOrder(user_, password_);
    setTabOrder(password_, login_);
    setTabOrder(login_, cancel_);
    (user.isEmpty() ? user_ : password_)->setFocus();
}

void LoginDialog::TryLogin() {
    const std::string user = user_->text().trimmed().toStdString();
    if (user.empty()) {
        error_->setText(QStringLiteral("Informe o usuário"));
        error_->show();
        user_->setFocus();
        return;
    }
    std::string password = password_->text().toStdString();
    setEnabled(false);
    vlm::TLoginResult result = attempt_(user, password);
    std::fill(password.begin(), password.end(), '\0');
    setEnabled(true);
    if (result.ok) {
        result_ = std::move(result);
        password_->clear();
        accept();
        return;
    }
    error_->setText(QString::fromStdString(result.error));
    error_->show();
    password_->clear();
    password_->setFocus();
}

}  // namespace zrmqt
