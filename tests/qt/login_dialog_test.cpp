// The login window: keyboard only, the server's refusal shown in place.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "qt/login_dialog.h"

class LoginDialogTest : public QObject {
    Q_OBJECT

private slots:
    void enterLogsInAndARefusalKeepsTheWindowOpen();
    void escapeCancels();
    void theWindowSpeaksPortuguese();
};

namespace {

struct Attempts {
    std::vector<std::pair<std::string, std::string>> seen;
    zrmqt::LoginDialog::Attempt Fn() {
        return [this](const std::string& user, const std::string& password) {
            seen.emplace_back(user, password);
            vlm::TLoginResult result;
            if (password == "senha-certa") {
                result.ok = true;
                result.user = user;
                result.branch = "0002";
                result.token = std::string(64, 'a');
            } else {
                result.error = "Usuário ou senha inválidos";
            }
            return result;
        };
    }
};

}  // namespace

void LoginDialogTest::enterLogsInAndARefusalKeepsTheWindowOpen() {
    Attempts attempts;
    zrmqt::LoginDialog dialog("https://erp:8211", "ana", attempts.Fn());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    // A name given on the command line: the password takes the focus.
    QCOMPARE(QApplication::focusWidget(), &dialog.PasswordEdit());

    QTest::keyClicks(&dialog.PasswordEdit(), "senha-errada");
    QTest::keyClick(&dialog.PasswordEdit(), Qt::Key_Return);
    QCOMPARE(attempts.seen.size(), 1u);
    QCOMPARE(attempts.seen[0].first, std::string("ana"));
    QCOMPARE(attempts.seen[0].second, std::string("senha-errada"));
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.ErrorLabel().text(), QString("Usuário ou senha inválidos"));
    QVERIFY(dialog.PasswordEdit().text().isEmpty());
    QCOMPARE(QApplication::focusWidget(), &dialog.PasswordEdit());

    QTest::keyClicks(&dialog.PasswordEdit(), "senha-certa");
    QTest::keyClick(&dialog.PasswordEdit(), Qt::Key_Enter);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.Result().branch, std::string("0002"));
    QVERIFY(dialog.PasswordEdit().text().isEmpty());
}

void LoginDialogTest::escapeCancels() {
    Attempts attempts;
    zrmqt::LoginDialog dialog("https://erp:8211", "", attempts.Fn());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QCOMPARE(QApplication::focusWidget(), &dialog.UserEdit());
    QTest::keyClicks(&dialog.UserEdit(), "ana");
    QTest::keyClick(&dialog.UserEdit(), Qt::Key_Escape);
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QVERIFY(!dialog.isVisible());
    QVERIFY(attempts.seen.empty());
}

void LoginDialogTest::theWindowSpeaksPortuguese() {
    Attempts attempts;
    zrmqt::LoginDialog dialog("https://erp:8211", "", attempts.Fn());
    QCOMPARE(dialog.LoginButton().text(), QString("Entrar"));
    QStringList labels;
    for (const QLabel* label : dialog.findChildren<QLabel*>())
        labels << label->text();
    QVERIFY(labels.contains("Usuário"));
    QVERIFY(labels.contains("Senha"));
    QStringList buttons;
    for (const QPushButton* button : dialog.findChildren<QPushButton*>())
        buttons << button->text();
    QCOMPARE(buttons, QStringList({"Entrar", "Cancelar"}));
    // An empty name asks for one without calling the server.
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QTest::keyClick(&dialog.UserEdit(), Qt::Key_Return);
    QVERIFY(attempts.seen.empty());
    QCOMPARE(dialog.ErrorLabel().text(), QString("Informe o usuário"));
}

QTEST_MAIN(LoginDialogTest)
#include "login_dialog_test.moc"
