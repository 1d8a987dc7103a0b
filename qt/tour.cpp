#include "qt/tour.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>
#include <cstdio>

#include "contracts/server_api.h"
#include "qt/call_waiter.h"
#include "qt/control_widgets.h"
#include "qt/desktop_host.h"
#include "qt/grid_widget.h"
#include "qt/host_loop.h"
#include "qt/host_services_qt.h"
#include "qt/login_dialog.h"
#include "qt/pick_list_dialog.h"
#include "qt/silent_server.h"
#include "vcl/exceptions.h"
#include "vcl/grid.h"
#include "vlm/net_connection.h"

namespace zrmqt {

namespace {

constexpr int kStepDelayMs = 50;

int ColumnOf(const vcl::TDBGrid& grid, const std::string& field) {
    const auto& columns = grid.Columns();
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (columns[i]->FieldName == field) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

KeyStroke CharStroke(char ch) {
    int key = static_cast<unsigned char>(ch);
    if (ch == ',') {
        key = 188;
    } else if (ch == '.') {
        key = 190;
    }
    return KeyStroke{key, 0, std::string(1, ch)};
}

}  // namespace

Tour::Tour(DesktopHost& host, QString folder) : host_(host), folder_(std::move(folder)) {
    BuildSteps();
}

Tour::~Tour() = default;

void Tour::Start() {
    QDir().mkpath(folder_);
    QTimer::singleShot(0, this, &Tour::Next);
}

void Tour::Fail(const QString& what) {
    ++failures_;
    std::fprintf(stderr, "tour: %s\n", what.toUtf8().constData());
}

void Tour::Shoot(const QString& name, QWidget* widget) {
    if (widget == nullptr) {
        Fail(name + ": nothing to photograph");
        return;
    }
    const QString path = QDir(folder_).filePath(name + ".png");
    QPixmap picture = widget->grab();
    if (widget->isWindow()) {
        // The offscreen platform draws no window frame: add the caption bar.
        constexpr int kCaption = 22;
        QPixmap framed(picture.width() + 2, picture.height() + kCaption + 1);
        framed.fill(QColor(0, 0, 128));
        QPainter painter(&framed);
        QLinearGradient bar(0, 0, framed.width(), 0);
        bar.setColorAt(0, QColor(0, 0, 128));
        bar.setColorAt(1, QColor(16, 132, 208));
        painter.fillRect(0, 0, framed.width(), kCaption, bar);
        QFont bold = painter.font();
        bold.setBold(true);
        painter.setFont(bold);
        painter.setPen(Qt::white);
        painter.drawText(QRect(6, 0, framed.width() - 12, kCaption), Qt::AlignVCenter | Qt::AlignLeft,
                         widget->windowTitle());
        painter.drawPixmap(1, kCaption, picture);
        painter.end();
        picture = framed;
    }
    if (!picture.save(path)) {
        Fail("cannot write " + path);
        return;
    }
    pictures_.push_back(path);
    std::printf("%s\n", path.toUtf8().constData());
}

void Tour::Next() {
    if (host_.CallWaiter().Waiting()) {
        // A step's server call is still running: the next step waits for it.
        QTimer::singleShot(kStepDelayMs, this, &Tour::Next);
        return;
    }
    if (next_ >= steps_.size()) {
        emit Finished(failures_);
        return;
    }
    const Step step = steps_[next_++];
    // Scheduled first: when this step opens a modal window, the next one
    // runs inside that window's event loop.
    QTimer::singleShot(kStepDelayMs, this, &Tour::Next);
    if (step.action) {
        step.action();
    }
    if (!step.picture.isEmpty()) {
        Shoot(step.picture, step.shown ? step.shown() : nullptr);
    }
}

void Tour::PhotographLongCall(const QString& name, const std::function<QWidget*()>& shown) {
    SilentServer silent;
    if (silent.Port() == 0) {
        return Fail("no loopback port for the silent server");
    }
    vlm::TNetConnection net(nullptr, "netTour");
    net.ServerName = std::string(contracts::kRemessaServer);
    net.Host = "127.0.0.1";
    net.Port = silent.Port();
    net.Waiter = &host_.CallWaiter();
    // Once the overlay shows the progress: the picture, then "Cancelar".
    QTimer::singleShot(QtCallWaiter::kProgressAfter.count() + 1200, this, [this, name, shown] {
        BusyOverlay* overlay = host_.Services().ShownOverlay();
        if (overlay == nullptr || overlay->CancelButton() == nullptr) {
            return Fail("the long call shows no progress");
        }
        Shoot(name, shown());
        overlay->CancelButton()->click();
    });
    try {
        net.AppServer(contracts::kGetNotasFiscais, {});
        Fail("the silent server answered");
    } catch (const vcl::Exception& error) {
        if (std::string(error.what()) != "Operação cancelada pelo usuário") {
            Fail(QString("the cancelled call said: ") + error.what());
        }
    }
}

void Tour::BuildSteps() {
    HostLoop& loop = host_.Loop();
    auto view = [&loop](const char* form) { return loop.ViewNamed(form); };
    auto frameOf = [&loop, view](const char* form) -> QWidget* {
        FormView* shown = view(form);
        return shown != nullptr ? loop.WindowOf(shown->Form()) : nullptr;
    };
    auto screen = [frameOf] { return frameOf("frmRemessaAnalise"); };
    auto dialog = [frameOf] { return frameOf("frmGeracao"); };
    auto message = []() -> QWidget* { return qobject_cast<QMessageBox*>(QApplication::activeModalWidget()); };
    auto anyModal = []() -> QWidget* { return QApplication::activeModalWidget(); };

    auto type = [this, view](const char* form, const char* control, QString text) {
        return [this, view, form, control, text] {
            FormView* shown = view(form);
            auto* edit = shown != nullptr ? qobject_cast<EditWidget*>(shown->WidgetOf(control)) : nullptr;
            if (edit == nullptr) {
                return Fail(QString("no edit %1 on %2").arg(control, form));
            }
            edit->UserTypes(text);
        };
    };
    auto keys = [this, view](const char* form, std::vector<KeyStroke> strokes) {
        return [this, view, form, strokes] {
            FormView* shown = view(form);
            if (shown == nullptr) {
                return Fail(QString("%1 is not shown").arg(form));
            }
            for (const KeyStroke& stroke : strokes) {
                ForwardKey(shown->Sink(), shown->Form(), stroke);
            }
        };
    };
    auto click = [this, view](const char* form, const char* control) {
        return [this, view, form, control] {
            FormView* shown = view(form);
            auto* button = shown != nullptr ? qobject_cast<ButtonWidget*>(shown->WidgetOf(control)) : nullptr;
            if (button == nullptr) {
                return Fail(QString("no button %1 on %2").arg(control, form));
            }
            button->UserClicks();
        };
    };
    auto grid = [view](const char* control) -> GridWidget* {
        FormView* shown = view("frmRemessaAnalise");
        return shown != nullptr ? qobject_cast<GridWidget*>(shown->WidgetOf(control)) : nullptr;
    };
    auto clickCell = [this, grid](const char* control, int row, std::string field) {
        return [this, grid, control, row, field] {
            GridWidget* shown = grid(control);
            const int column = shown != nullptr ? ColumnOf(shown->Grid(), field) : -1;
            if (column < 0) {
                return Fail(QString("no column %1 in %2").arg(QString::fromStdString(field), control));
            }
            shown->UserClicksCell(row, column);
        };
    };
    auto acceptMessage = [this] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || box->buttons().isEmpty()) {
            return Fail("no message to close");
        }
        std::printf("message: %s\n", box->text().toUtf8().constData());
        box->buttons().first()->click();
    };
    // The generation's answer: the success message, or the window listing
    // the server's errors (a database used before may lack stock by now).
    auto closeResult = [this] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            std::printf("message: %s\n", box->text().toUtf8().constData());
            box->buttons().first()->click();
        } else if (auto* window = qobject_cast<QDialog*>(modal)) {
            std::printf("detail: %s\n", window->windowTitle().toUtf8().constData());
            window->accept();
        } else {
            Fail("the generation showed no result");
        }
    };
    // The first row of the pick list, as the user picks it with Enter.
    auto pickFirst = [this] {
        auto* list = qobject_cast<PickListDialog*>(QApplication::activeModalWidget());
        if (list == nullptr) {
            return Fail("no pick list");
        }
        list->PickCurrent();
    };
    auto noMessage = [this] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            Fail("unexpected message: " + box->text());
            box->buttons().first()->click();
        }
    };
    const KeyStroke tab{vcl::vk::Tab, 0, {}};
    const KeyStroke down{vcl::vk::Down, 0, {}};

    // A quantity to send: half of what the current item received.
    auto halfQuantity = [this, grid] {
        GridWidget* items = grid("dbgItensNota");
        vcl::TClientDataSet* data = items != nullptr ? items->Grid().DataSet() : nullptr;
        vcl::TField* field = data != nullptr && data->Active() ? data->FindField("QTITEMPROD") : nullptr;
        if (field == nullptr) {
            return Fail("the items are not loaded");
        }
        const QString text = QString::number(field->AsFloat() / 2, 'f', 3).replace('.', ',');
        FormView* shown = host_.ScreenView();
        for (int i = 0; i < 5; ++i) {
            ForwardKey(shown->Sink(), shown->Form(), KeyStroke{vcl::vk::Back, 0, "\b"});
        }
        for (const char ch : text.toStdString()) {
            ForwardKey(shown->Sink(), shown->Form(), CharStroke(ch));
        }
        ForwardKey(shown->Sink(), shown->Form(), KeyStroke{vcl::vk::Down, 0, {}});
    };

    auto showLogin = [this] {
        login_ = std::make_unique<LoginDialog>("https://servidor.empresa:8211", "demo0001",
                                               [](const std::string&, const std::string&) {
                                                   vlm::TLoginResult refused;
                                                   refused.error = "Usuário ou senha inválidos";
                                                   return refused;
                                               });
        login_->PasswordEdit().setText("********");
        login_->PasswordEdit().deselect();
        login_->show();
    };

    steps_ = {
        {"00-acesso", showLogin, [this]() -> QWidget* { return login_.get(); }},
        {{}, [this] { login_.reset(); }, {}},
        {{}, [this] { host_.OpenScreen(); }, {}},
        {"01-tela-aberta", noMessage, screen},
        {{}, click("frmRemessaAnalise", "btpFilial"), {}},
        {"02-lista-de-filiais", {}, anyModal},
        {{}, pickFirst, {}},
        {{}, keys("frmRemessaAnalise", {tab}), {}},
        {{}, type("frmRemessaAnalise", "depDtEntIni", "01/01/2026"), {}},
        {{}, type("frmRemessaAnalise", "depDtEntFin", "31/12/2026"), {}},
        {"03-filtro-preenchido", noMessage, screen},
        {{},
         [this, grid] {
             if (GridWidget* notes = grid("dbgNotaFiscal")) {
                 notes->UserFocuses();
             } else {
                 Fail("no notes grid");
             }
         },
         {}},
        {"04-notas-carregadas", noMessage, screen},
        {{}, clickCell("dbgNotaFiscal", 1, "IDMARCADO"), {}},
        {{}, clickCell("dbgNotaFiscal", 3, "IDMARCADO"), {}},
        {{}, keys("frmRemessaAnalise", {down, KeyStroke{vcl::vk::Space, 0, " "}}), {}},
        {"05-notas-marcadas", noMessage, screen},
        {{}, clickCell("dbgItensNota", 1, "QTENVIADA"), {}},
        {{},
         keys("frmRemessaAnalise",
              {CharStroke('9'), CharStroke('9'), CharStroke('9'), CharStroke('9'), CharStroke('9'), down}),
         {}},
        {"06-quantidade-recusada", {}, message},
        {{}, acceptMessage, {}},
        {"07-editor-mantido", noMessage, screen},
        {{}, halfQuantity, {}},
        {"08-quantidade-editada", noMessage, screen},
        {{}, click("frmRemessaAnalise", "sbtConfirmar"), {}},
        {"09-dialogo-aberto", noMessage, dialog},
        {{}, type("frmGeracao", "medFilial", "0002"), {}},
        {{}, keys("frmGeracao", {tab}), {}},
        {{}, type("frmGeracao", "medCdOperacao", "01"), {}},
        {{}, keys("frmGeracao", {tab}), {}},
        {{}, type("frmGeracao", "depDtSaida", "15/12/2026"), {}},
        {"10-dialogo-preenchido", noMessage, dialog},
        {{}, click("frmGeracao", "sbtConfirma"), {}},
        {"11-resultado", {}, anyModal},
        {{}, closeResult, {}},
        {"12-tela-final", noMessage, screen},
        {{}, [this, screen] { PhotographLongCall("13-chamada-demorada", screen); }, {}},
    };
}

}  // namespace zrmqt
