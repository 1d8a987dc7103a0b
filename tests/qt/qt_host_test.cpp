// The desktop host driven through its Qt widgets, as a user would: the
// screen's layout, the branch check, loading, marking, editing a quantity
// and generating a remittance, against a demo database and the in-process
// application server.
#include <soci/soci.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFile>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <memory>
#include <string>
#include <vector>

#include "db/init_db.h"
#include "modal_script.h"
#include "qt/call_waiter.h"
#include "qt/control_widgets.h"
#include "qt/date_edit_widget.h"
#include "qt/desktop_host.h"
#include "qt/grid_widget.h"
#include "qt/host_loop.h"
#include "qt/host_services_qt.h"
#include "qt/main_window.h"
#include "qt/pick_list_dialog.h"
#include "qt/portuguese.h"
#include "qt/qt_convert.h"
#include "qt/silent_server.h"
#include "qt/startup_failure.h"
#include "vcl/exceptions.h"
#include "vcl/grid.h"
#include "vlm/db_geral.h"
#include "vlm/net_connection.h"

using zrmqt::EditWidget;
using zrmqt::GridWidget;

class QtHostTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void commandLine_data();
    void commandLine();
    void openingShowsTheFormAsDesigned();
    void unknownBranchKeepsTheFocusInTheBranch();
    void leavingTheFilterLoadsTheNotes();
    void spaceAndClickMarkNotesAndTheBoxIsDrawn();
    void aFailingDrawHandlerIsReportedOnceNotOnEveryRepaint();
    void refusedQuantityKeepsTheEditorOpenThenAnAcceptedOnePosts();
    void confirmingOpensTheDialogAndGenerates();
    void closingTheDialogWindowReturnsWithoutGenerating();
    void resizingTheWindowRealignsTheForm();
    void calendarWritesThePickedDay();
    void closingTheScreenRemovesItsWindowAndTheMenuMakesANewOne();
    void pickListFiltersPicksAndCancels();
    void busyOverlayAndHourglassFollowTheHost();
    void f2OpensThePickListOfTheEditsSearchButton();
    void ctrlEnterConfirmsAndEscapeClosesTheDialog();
    void pageDownMovesAPageAndCtrlHomeBackToTheFirstRow();
    void cancelOnTheBusyOverlayEndsACallToASilentServer();
    void startUpFailuresAreShownInAWindow();

private:
    zrmqt::FormView* View(const char* form = "frmRemessaAnalise") const {
        return host_->Loop().ViewNamed(form);
    }
    template <class W>
    W* Widget(const char* name, const char* form = "frmRemessaAnalise") const {
        zrmqt::FormView* view = View(form);
        return view != nullptr ? qobject_cast<W*>(view->WidgetOf(name)) : nullptr;
    }
    vcl::TWinControl* ActiveControl(const char* form = "frmRemessaAnalise") const {
        zrmqt::FormView* view = View(form);
        return view != nullptr ? view->Form().ActiveControl() : nullptr;
    }
    // The widget Qt gives the keyboard to in its window (whether or not the
    // window is the active one now).
    static bool HasQtFocus(const QWidget* widget) {
        return widget != nullptr && widget->window()->focusWidget() == widget;
    }
    // Every caption shows whole, in the font actually used: inside its label
    // and inside the label's parent (the screen code sits in a narrow column).
    static void VerifyCaptionsShowWhole(const QWidget* view) {
        QVERIFY(view != nullptr);
        for (const QLabel* shown : view->findChildren<QLabel*>()) {
            if (shown->text().isEmpty() || !shown->isVisibleTo(view)) {
                continue;
            }
            const int width = QFontMetrics(shown->font()).horizontalAdvance(shown->text());
            QVERIFY2(width <= shown->width() && shown->x() + width <= shown->parentWidget()->width(),
                     qPrintable(shown->text()));
        }
    }
    static int ColumnOf(const vcl::TDBGrid& grid, const std::string& field) {
        for (std::size_t i = 0; i < grid.Columns().size(); ++i) {
            if (grid.Columns()[i]->FieldName == field) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }
    static void ClickCell(GridWidget* grid, int row, const std::string& field) {
        const QRect cell = grid->CellRect(row, ColumnOf(grid->Grid(), field));
        QVERIFY(!cell.isEmpty());
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    }
    void TypeInto(const char* edit, const QString& text, const char* form = "frmRemessaAnalise") {
        EditWidget* widget = Widget<EditWidget>(edit, form);
        QVERIFY(widget != nullptr);
        QTest::mouseClick(widget, Qt::LeftButton);
        QTest::keyClicks(widget, text);
    }
    void FillFilterAndLoad() {
        TypeInto("medFilial", "0001");
        QTest::keyClick(Widget<EditWidget>("medFilial"), Qt::Key_Tab);
        TypeInto("depDtEntIni", "01/01/2026");
        TypeInto("depDtEntFin", "31/03/2026");
        GridWidget* notes = Widget<GridWidget>("dbgNotaFiscal");
        QTest::mouseClick(notes->viewport(), Qt::LeftButton, {},
                          notes->viewport()->rect().bottomRight() - QPoint(5, 5));
    }
    std::string Field(const char* dataset, const char* field) const {
        auto* data = dynamic_cast<vcl::TClientDataSet*>(View()->Form().FindComponent(dataset));
        return data != nullptr && data->Active() ? data->FieldByName(field).AsString()
                                                 : std::string("<closed>");
    }
    long long Count(const std::string& table) const {
        long long count = -1;
        host_->Host().dtmDBGeral.Session() << "SELECT COUNT(*) FROM " + table, soci::into(count);
        return count;
    }

    QTemporaryDir dir_;
    QString template_;
    std::unique_ptr<zrmqt::DesktopHost> host_;
    int run_ = 0;
};

void QtHostTest::initTestCase() {
    QVERIFY(zrmqt::InstallPortuguese(*QCoreApplication::instance()));
    QVERIFY(dir_.isValid());
    template_ = dir_.filePath("template.db");
    db::InitDatabase("sqlite3://db=" + template_.toStdString(), db::InitOptions{true, 120});
}

void QtHostTest::init() {
    const QString file = dir_.filePath(QStringLiteral("run%1.db").arg(++run_));
    QVERIFY(QFile::copy(template_, file));
    zrmqt::DesktopOptions options;
    options.db = "sqlite3://db=" + file.toStdString();
    options.packagePath = ZRM_PACKAGE_PATH;
    host_ = std::make_unique<zrmqt::DesktopHost>(options);
    host_->Window().show();
    QVERIFY(QTest::qWaitForWindowActive(&host_->Window()));
    host_->Window().OpenScreenAction()->trigger();
    QVERIFY(View() != nullptr);
}

void QtHostTest::cleanup() {
    host_.reset();
}

void QtHostTest::commandLine_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("server");
    QTest::addColumn<QString>("filial");
    QTest::newRow("defaults") << QStringList{} << true << QString() << QString("0001");
    QTest::newRow("all options") << QStringList{"--db",
                                                "sqlite3://db=x.db",
                                                "--server",
                                                "https://host:8080",
                                                "--filial",
                                                "0002",
                                                "--tour",
                                                "out",
                                                "--user",
                                                "ana",
                                                "--password-file",
                                                "senha.txt",
                                                "--ca",
                                                "ca.pem"}
                                 << true << QString("https://host:8080") << QString("0002");
    QTest::newRow("plain http on loopback")
        << QStringList{"--server", "127.0.0.1:8211"} << true << QString("127.0.0.1:8211") << QString("0001");
    QTest::newRow("plain http off loopback")
        << QStringList{"--server", "host:8080"} << false << QString() << QString();
    QTest::newRow("plain http off loopback, insecure")
        << QStringList{"--server", "http://host:8080", "--insecure"} << true << QString("http://host:8080")
        << QString("0001");
    QTest::newRow("server without port")
        << QStringList{"--server", "host"} << false << QString() << QString();
    QTest::newRow("server with a bad port")
        << QStringList{"--server", "host:80a"} << false << QString() << QString();
    QTest::newRow("option without value") << QStringList{"--filial"} << false << QString() << QString();
    QTest::newRow("unknown option") << QStringList{"--verbose"} << false << QString() << QString();
}

void QtHostTest::commandLine() {
    QFETCH(QStringList, arguments);
    QFETCH(bool, valid);
    std::vector<std::string> words{"zrm-host"};
    for (const QString& argument : arguments) {
        words.push_back(argument.toStdString());
    }
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    std::string error;
    const auto line = zrmqt::ParseCommandLine(static_cast<int>(argv.size()), argv.data(), error);
    QCOMPARE(line.has_value(), valid);
    if (valid) {
        QFETCH(QString, server);
        QFETCH(QString, filial);
        QCOMPARE(QString::fromStdString(line->options.server.value_or("")), server);
        QCOMPARE(QString::fromStdString(line->options.filial), filial);
    } else {
        QVERIFY(!error.empty());
    }
}

void QtHostTest::openingShowsTheFormAsDesigned() {
    auto* frame = qobject_cast<QMdiSubWindow*>(host_->Loop().WindowOf(View()->Form()));
    QVERIFY(frame != nullptr);
    QCOMPARE(frame->windowTitle(), QString("Remessa para análise"));
    QCOMPARE(frame->widget()->size(), QSize(1264, 481));

    // Every control where the form puts it, with its colour and limits.
    EditWidget* filial = Widget<EditWidget>("medFilial");
    QVERIFY(filial != nullptr);
    QCOMPARE(filial->geometry(), zrmqt::ToQRect(filial->Edit().BoundsRect()));
    QCOMPARE(filial->palette().color(QPalette::Base), zrmqt::ToQColor(vcl::clInfoBk));
    QCOMPARE(filial->maxLength(), 4);
    EditWidget* name = Widget<EditWidget>("edtNmFilial");
    QVERIFY(!name->isEnabled());
    QCOMPARE(name->palette().color(QPalette::Disabled, QPalette::Base), zrmqt::ToQColor(vcl::clBtnFace));
    QCOMPARE(Widget<EditWidget>("medFornecedor")->palette().color(QPalette::Base),
             zrmqt::ToQColor(vcl::clWindow));
    auto* label = Widget<QLabel>("lblFilial");
    QCOMPARE(label->text(), QString("Filial"));
    QVERIFY(label->font().bold());
    QVERIFY(label->width() > 0 && label->height() > 0);
    VerifyCaptionsShowWhole(View());
    QCOMPARE(Widget<QLabel>("lblCodTela")->text(), QString("ZRM90000"));
    auto* search = Widget<QAbstractButton>("btpFilial");
    QVERIFY(!search->icon().isNull());
    QCOMPARE(search->toolTip(), QString("Pesquisar (F2)"));
    QCOMPARE(search->focusPolicy(), Qt::NoFocus);

    // The focus in the branch edit, for Qt as for the form.
    QCOMPARE(ActiveControl()->Name(), std::string("medFilial"));
    QVERIFY(HasQtFocus(filial));
    GridWidget* notes = Widget<GridWidget>("dbgNotaFiscal");
    QCOMPARE(notes->Grid().RowCount(), 0);
    QVERIFY(!notes->CellRect(0, ColumnOf(notes->Grid(), "NRNOTAFISC")).isEmpty());  // titles shown
    QVERIFY(notes->CellRect(0, ColumnOf(notes->Grid(), "CDFILIAL")).isEmpty());     // hidden column

    // The menu entry again brings the same screen forward.
    host_->Window().OpenScreenAction()->trigger();
    QCOMPARE(host_->Window().MdiArea()->subWindowList().size(), 1);
}

void QtHostTest::unknownBranchKeepsTheFocusInTheBranch() {
    ModalScript modals;
    modals.ThenMessage();
    TypeInto("medFilial", "9999");
    QTest::keyClick(Widget<EditWidget>("medFilial"), Qt::Key_Tab);
    QCOMPARE(modals.Messages(), QStringList{"Filial não cadastrada"});
    QCOMPARE(ActiveControl()->Name(), std::string("medFilial"));
    QVERIFY(HasQtFocus(Widget<EditWidget>("medFilial")));

    // A known branch lets the focus go on and shows its name.
    for (int i = 0; i < 4; ++i) {
        QTest::keyClick(Widget<EditWidget>("medFilial"), Qt::Key_Backspace);
    }
    QTest::keyClicks(Widget<EditWidget>("medFilial"), "0002");
    QTest::keyClick(Widget<EditWidget>("medFilial"), Qt::Key_Tab);
    QCOMPARE(ActiveControl()->Name(), std::string("medFornecedor"));
    QCOMPARE(Widget<EditWidget>("edtNmFilial")->text(), QString("Filial Campinas"));
    QVERIFY(HasQtFocus(Widget<EditWidget>("medFornecedor")));
}

void QtHostTest::leavingTheFilterLoadsTheNotes() {
    FillFilterAndLoad();
    GridWidget* notes = Widget<GridWidget>("dbgNotaFiscal");
    QVERIFY(notes->Grid().RowCount() > 0);
    QCOMPARE(ActiveControl()->Name(), std::string("dbgNotaFiscal"));
    QVERIFY(HasQtFocus(notes));
    QVERIFY(Widget<GridWidget>("dbgItensNota")->Grid().RowCount() > 0);
    QCOMPARE(host_->Services().Busy(), nullptr);        // the busy overlay went away
    QCOMPARE(QApplication::overrideCursor(), nullptr);  // and so did the hourglass
    // Totals with Brazilian separators, as the field displays them.
    const QString total =
        QString::fromStdString(notes->Grid().CellText(1, ColumnOf(notes->Grid(), "VRNOTAFISC")));
    QVERIFY2(QRegularExpression("^[0-9.]+,[0-9]{2}$").match(total).hasMatch(), qPrintable(total));
}

// The form's draw handler runs inside the dispatcher: its failure reaches
// the user as any other, once until the grid changes, and painting goes on.
void QtHostTest::aFailingDrawHandlerIsReportedOnceNotOnEveryRepaint() {
    FillFilterAndLoad();
    GridWidget* notes = Widget<GridWidget>("dbgNotaFiscal");
    QVERIFY(notes->Grid().RowCount() > 0);
    auto reported = std::make_shared<std::vector<std::string>>();
    host_->Loop().SetErrorReporter([reported](const std::string& message) { reported->push_back(message); });
    const vcl::TDrawColumnCellEvent original = notes->Grid().OnDrawColumnCell;
    notes->Grid().OnDrawColumnCell = [](vcl::TObject*, const vcl::TRect&, int, vcl::TColumn&, unsigned) {
        throw vcl::EDatabaseError("desenho recusado");
    };
    notes->viewport()->grab();
    notes->viewport()->grab();
    QCOMPARE(*reported, std::vector<std::string>{"desenho recusado"});
    notes->Sync();  // the grid changed: the handler runs again
    notes->viewport()->grab();
    QCOMPARE(reported->size(), std::size_t{2});
    notes->Grid().OnDrawColumnCell = original;
}

void QtHostTest::spaceAndClickMarkNotesAndTheBoxIsDrawn() {
    FillFilterAndLoad();
    GridWidget* notes = Widget<GridWidget>("dbgNotaFiscal");
    QVERIFY(notes->Grid().RowCount() >= 2);
    const int mark = ColumnOf(notes->Grid(), "IDMARCADO");
    // A pixel of the tick (row 10, column 6 of the box, drawn one pixel in).
    auto tickPixel = [&](int row) {
        const QImage image = notes->viewport()->grab().toImage();
        const QRect cell = notes->CellRect(row, mark);
        return QColor(image.pixel(cell.left() + 1 + 6, cell.top() + 10));
    };
    QCOMPARE(Field("cdsNotaFiscalGrid", "IDMARCADO"), std::string("N"));
    QCOMPARE(tickPixel(1), QColor(Qt::white));

    // Loading leaves the registration number selected: Space there marks nothing.
    QTest::keyClick(notes, Qt::Key_Space);
    QCOMPARE(Field("cdsNotaFiscalGrid", "IDMARCADO"), std::string("N"));
    QTest::keyClick(notes, Qt::Key_Left);
    QCOMPARE(notes->Grid().SelectedIndex(), mark);
    QTest::keyClick(notes, Qt::Key_Space);
    QCOMPARE(Field("cdsNotaFiscalGrid", "IDMARCADO"), std::string("S"));
    QCOMPARE(tickPixel(1), QColor(Qt::black));

    ClickCell(notes, 2, "IDMARCADO");
    QCOMPARE(notes->Grid().DataSet()->RecNo(), 2);
    QCOMPARE(Field("cdsNotaFiscalGrid", "IDMARCADO"), std::string("S"));
    QCOMPARE(tickPixel(2), QColor(Qt::black));
    ClickCell(notes, 2, "IDMARCADO");
    QCOMPARE(Field("cdsNotaFiscalGrid", "IDMARCADO"), std::string("N"));

    // Ctrl+Space marks every note (the first one decides: it is marked, so all are cleared).
    QTest::keyClick(notes, Qt::Key_Space, Qt::ControlModifier);
    QCOMPARE(notes->Grid().DataSet()->RecNo(), 1);
    QCOMPARE(Field("cdsNotaFiscalGrid", "IDMARCADO"), std::string("N"));
    QCOMPARE(tickPixel(1), QColor(Qt::white));

    // A click on the mark column's title marks them all again.
    QTest::mouseClick(notes->viewport(), Qt::LeftButton, {}, notes->CellRect(0, mark).center());
    QCOMPARE(tickPixel(1), QColor(Qt::black));
    QCOMPARE(tickPixel(2), QColor(Qt::black));
}

void QtHostTest::refusedQuantityKeepsTheEditorOpenThenAnAcceptedOnePosts() {
    FillFilterAndLoad();
    GridWidget* items = Widget<GridWidget>("dbgItensNota");
    ClickCell(items, 1, "QTENVIADA");
    QVERIFY(items->Grid().CanEditCell());
    const double received = items->Grid().DataSet()->FieldByName("QTITEMPROD").AsFloat();

    ModalScript modals;
    modals.ThenMessage();
    QTest::keyClicks(items, "99999");
    QTest::keyClick(items, Qt::Key_Down);
    QCOMPARE(modals.Messages(),
             QStringList{"Quantidade enviada deve ser menor ou igual a quantidade original"});
    QVERIFY(items->Grid().EditorMode());
    QCOMPARE(items->Grid().EditorText(), std::string("99999"));
    QCOMPARE(ActiveControl()->Name(), std::string("dbgItensNota"));
    QVERIFY(HasQtFocus(items));

    for (int i = 0; i < 5; ++i) {
        QTest::keyClick(items, Qt::Key_Backspace);
    }
    QTest::keyClicks(items, "0,5");
    QTest::keyClick(items, Qt::Key_Enter);  // Enter posts the cell
    if (items->Grid().EditorMode()) {
        QTest::keyClick(items, Qt::Key_Up);  // a move posts it too
    }
    QVERIFY(!items->Grid().EditorMode());
    QCOMPARE(modals.Pending(), 0);
    QVERIFY(received >= 0.5);
    QCOMPARE(items->Grid().DataSet()->FieldByName("QTENVIADA").AsFloat(), 0.5);
}

void QtHostTest::confirmingOpensTheDialogAndGenerates() {
    FillFilterAndLoad();
    GridWidget* notes = Widget<GridWidget>("dbgNotaFiscal");
    ClickCell(notes, 1, "IDMARCADO");
    QCOMPARE(Field("cdsNotaFiscalGrid", "IDMARCADO"), std::string("S"));
    const long long before = Count("NOTASAIDA");

    QStringList titles;
    auto fillDialog = [&](QWidget* dialog) {
        titles << dialog->windowTitle();
        if (auto* box = qobject_cast<QMessageBox*>(dialog)) {
            QFAIL(qPrintable(box->text()));
        }
        QVERIFY(View("frmGeracao") != nullptr);
        TypeInto("medFilial", "0002", "frmGeracao");
        QTest::keyClick(Widget<EditWidget>("medFilial", "frmGeracao"), Qt::Key_Tab);
        TypeInto("medCdOperacao", "01", "frmGeracao");
        QTest::keyClick(Widget<EditWidget>("medCdOperacao", "frmGeracao"), Qt::Key_Tab);
        TypeInto("depDtSaida", "15/12/2026", "frmGeracao");
        QTest::mouseClick(Widget<QAbstractButton>("sbtConfirma", "frmGeracao"), Qt::LeftButton);
    };

    // Without stock at the origin the server refuses, and the detail window
    // lists the error under its title; nothing is generated.
    host_->Host().dtmDBGeral.Session() << "UPDATE ESTOQUE SET QTESTOQUE = 0";
    ModalScript refused;
    refused.Then(fillDialog);
    refused.ThenMessage();
    QTest::mouseClick(Widget<QAbstractButton>("sbtConfirmar"), Qt::LeftButton);
    QCOMPARE(titles, QStringList{"Dados da Remessa"});
    QCOMPARE(refused.Messages().size(), 1);
    QVERIFY2(refused.Messages().first().contains("Verifique o estoque dos produtos"),
             qPrintable(refused.Messages().first()));
    QCOMPARE(Count("NOTASAIDA"), before);
    QCOMPARE(View("frmGeracao"), nullptr);

    // With stock, the same marks generate one remittance note.
    host_->Host().dtmDBGeral.Session() << "UPDATE ESTOQUE SET QTESTOQUE = 100000";
    ModalScript accepted;
    accepted.Then(fillDialog);
    accepted.ThenMessage();
    QTest::mouseClick(Widget<QAbstractButton>("sbtConfirmar"), Qt::LeftButton);
    QVERIFY2(accepted.Messages().size() == 1 && accepted.Messages().first().contains("sucesso"),
             qPrintable(accepted.Messages().join(" | ")));
    QCOMPARE(View("frmGeracao"), nullptr);  // the dialog closed
    QCOMPARE(Count("NOTASAIDA"), before + 1);
}

void QtHostTest::closingTheDialogWindowReturnsWithoutGenerating() {
    FillFilterAndLoad();
    ClickCell(Widget<GridWidget>("dbgNotaFiscal"), 1, "IDMARCADO");
    const long long before = Count("NOTASAIDA");
    ModalScript modals;
    bool sawDialog = false;
    modals.Then([&](QWidget* dialog) {
        sawDialog = View("frmGeracao") != nullptr;
        dialog->close();  // the window's close box
    });
    QTest::mouseClick(Widget<QAbstractButton>("sbtConfirmar"), Qt::LeftButton);
    QVERIFY(sawDialog);
    QCOMPARE(modals.Pending(), 0);
    QVERIFY2(modals.Messages().isEmpty(), qPrintable(modals.Messages().join(" | ")));
    QCOMPARE(View("frmGeracao"), nullptr);
    QCOMPARE(Count("NOTASAIDA"), before);
    QCOMPARE(View()->Form().ActiveControl()->Name(), std::string("dbgNotaFiscal"));
}

void QtHostTest::resizingTheWindowRealignsTheForm() {
    auto* frame = qobject_cast<QMdiSubWindow*>(host_->Loop().WindowOf(View()->Form()));
    GridWidget* notes = Widget<GridWidget>("dbgNotaFiscal");
    GridWidget* items = Widget<GridWidget>("dbgItensNota");
    const QSize notesBefore = notes->size(), itemsBefore = items->size();
    frame->resize(frame->width() - 200, frame->height() + 40);
    QTRY_COMPARE(View()->Form().ClientRect().Width(), 1264 - 200);
    // The notes panel fills what is left (client-aligned); the items panel
    // keeps its height at the bottom; the button column stays at the right.
    QCOMPARE(notes->size(), QSize(notesBefore.width() - 200, notesBefore.height() + 40));
    QCOMPARE(items->size(), QSize(itemsBefore.width() - 200, itemsBefore.height()));
    QWidget* menu = View()->WidgetOf("panMenu");
    QCOMPARE(menu->x() + menu->width(), 1264 - 200);
}

void QtHostTest::calendarWritesThePickedDay() {
    auto* date = Widget<zrmqt::DateEditWidget>("depDtEntIni");
    QVERIFY(date != nullptr);
    QTest::keyClick(date, Qt::Key_Down, Qt::AltModifier);  // the calendar from the keyboard
    QVERIFY(date->Calendar() != nullptr && date->Calendar()->isVisible());
    QCOMPARE(date->Calendar()->selectedDate(), QDate::currentDate());  // an empty edit opens on today
    date->Calendar()->setSelectedDate(QDate(2026, 2, 28));
    auto* days = date->Calendar()->findChild<QAbstractItemView*>();
    QVERIFY(days != nullptr);
    QTest::keyClick(days, Qt::Key_Return);  // activates the selected day
    QVERIFY(!date->Calendar()->isVisible());
    QCOMPARE(date->text(), QString("28/02/2026"));
    QCOMPARE(ActiveControl()->Name(), std::string("depDtEntIni"));
    QCOMPARE(date->palette().color(QPalette::Text), zrmqt::ToQColor(vcl::clBlue));  // a valid date
    date->OpenCalendar();
    QCOMPARE(date->Calendar()->selectedDate(), QDate(2026, 2, 28));
    date->Calendar()->hide();
}

void QtHostTest::closingTheScreenRemovesItsWindowAndTheMenuMakesANewOne() {
    QTest::mouseClick(Widget<QAbstractButton>("sbtCancel"), Qt::LeftButton);
    QCOMPARE(View(), nullptr);
    QTRY_COMPARE(host_->Window().MdiArea()->subWindowList().size(), 0);

    host_->Window().OpenScreenAction()->trigger();
    QVERIFY(View() != nullptr);
    QCOMPARE(host_->Window().MdiArea()->subWindowList().size(), 1);
    QCOMPARE(ActiveControl()->Name(), std::string("medFilial"));
    // The new screen works: its branch check runs.
    TypeInto("medFilial", "0001");
    QTest::keyClick(Widget<EditWidget>("medFilial"), Qt::Key_Tab);
    QCOMPARE(Widget<EditWidget>("edtNmFilial")->text(), QString("Matriz - São Paulo"));
}

void QtHostTest::pickListFiltersPicksAndCancels() {
    contracts::TextTable table{
        {"Código", "Nome"},
        {{"0001", "Matriz - São Paulo"}, {"0002", "Filial Campinas"}, {"0003", "Filial Rio"}}};
    ModalScript modals;
    QStringList shown;
    modals.Then([&](QWidget* modal) {
        auto* dialog = qobject_cast<zrmqt::PickListDialog*>(modal);
        QVERIFY(dialog != nullptr);
        QCOMPARE(dialog->Table()->horizontalHeaderItem(1)->text(), QString("Nome"));
        QTest::keyClicks(dialog->FilterEdit(), "filial");  // rows 2 and 3 remain
        QTest::keyClick(dialog->FilterEdit(), Qt::Key_Down);
        QTest::keyClick(dialog->FilterEdit(), Qt::Key_Return);
    });
    modals.Then([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
    modals.Then([](QWidget* modal) {
        auto* dialog = qobject_cast<zrmqt::PickListDialog*>(modal);
        QTest::keyClicks(dialog->FilterEdit(), "nothing like it");
        QTest::keyClick(dialog->FilterEdit(), Qt::Key_Return);  // no row: nothing picked, still open
        QVERIFY(dialog->isVisible());
        dialog->reject();
    });
    QCOMPARE(host_->Services().PickRow("Filial", table), std::optional<int>(2));
    QCOMPARE(host_->Services().PickRow("Filial", table), std::nullopt);
    QCOMPARE(host_->Services().PickRow("Filial", table), std::nullopt);
    QCOMPARE(modals.Pending(), 0);
}

void QtHostTest::busyOverlayAndHourglassFollowTheHost() {
    vcl::TForm& screen = View()->Form();
    host_->Services().ShowBusy(screen, 6, "Buscando informações do servidor...");
    zrmqt::BusyOverlay* busy = host_->Services().Busy();
    QVERIFY(busy != nullptr && busy->isVisible());
    QCOMPARE(busy->Text(), QString("Buscando informações do servidor..."));
    QCOMPARE(busy->geometry(), View()->rect());
    host_->Services().HideBusy();
    QCOMPARE(host_->Services().Busy(), nullptr);

    host_->Application().Screen().Cursor = -11;
    host_->Loop().Sync();
    QVERIFY(QApplication::overrideCursor() != nullptr);
    QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    host_->Application().Screen().Cursor = 0;
    host_->Loop().Sync();
    QCOMPARE(QApplication::overrideCursor(), nullptr);
}

void QtHostTest::f2OpensThePickListOfTheEditsSearchButton() {
    ModalScript modals;
    QStringList buttons;
    modals.Then([&](QWidget* modal) {
        auto* list = qobject_cast<zrmqt::PickListDialog*>(modal);
        QVERIFY(list != nullptr);
        for (QDialogButtonBox* box : list->findChildren<QDialogButtonBox*>()) {
            for (QAbstractButton* button : box->buttons()) {
                buttons << button->text().remove('&');
            }
        }
        QTest::keyClick(list->FilterEdit(), Qt::Key_Return);  // the first branch
    });
    EditWidget* filial = Widget<EditWidget>("medFilial");
    QVERIFY(HasQtFocus(filial));
    QTest::keyClick(filial, Qt::Key_F2);
    QCOMPARE(modals.Pending(), 0);
    buttons.sort();
    QCOMPARE(buttons, (QStringList{"Cancelar", "OK"}));
    QCOMPARE(filial->text(), QString("0001"));
    QCOMPARE(ActiveControl()->Name(), std::string("medFilial"));  // the button took no focus

    // F2 where no search button is associated does nothing.
    ModalScript none;
    QTest::keyClick(filial, Qt::Key_Tab);
    QTest::keyClick(Widget<EditWidget>("medFornecedor"), Qt::Key_Tab);
    QCOMPARE(ActiveControl()->Name(), std::string("depDtEntIni"));
    QTest::keyClick(Widget<EditWidget>("depDtEntIni"), Qt::Key_F2);
    QVERIFY(none.Messages().isEmpty());
}

void QtHostTest::ctrlEnterConfirmsAndEscapeClosesTheDialog() {
    FillFilterAndLoad();
    GridWidget* notes = Widget<GridWidget>("dbgNotaFiscal");
    ClickCell(notes, 1, "IDMARCADO");
    QCOMPARE(Field("cdsNotaFiscalGrid", "IDMARCADO"), std::string("S"));
    const long long before = Count("NOTASAIDA");
    ModalScript modals;
    QString title;
    modals.Then([&](QWidget* dialog) {
        title = dialog->windowTitle();
        QVERIFY(View("frmGeracao") != nullptr);
        QCOMPARE(ActiveControl("frmGeracao")->Name(), std::string("medFilial"));
        VerifyCaptionsShowWhole(View("frmGeracao"));
        EditWidget* filial = Widget<EditWidget>("medFilial", "frmGeracao");
        QTest::keyClicks(filial, "2");
        QTest::keyClick(filial, Qt::Key_Escape);
    });
    QTest::keyClick(notes, Qt::Key_Return, Qt::ControlModifier);
    QCOMPARE(title, QString("Dados da Remessa"));
    QCOMPARE(modals.Pending(), 0);
    QVERIFY2(modals.Messages().isEmpty(), qPrintable(modals.Messages().join(" | ")));
    QCOMPARE(View("frmGeracao"), nullptr);
    QCOMPARE(Count("NOTASAIDA"), before);
    // The screen as it was: the focus, the mark.
    QCOMPARE(ActiveControl()->Name(), std::string("dbgNotaFiscal"));
    QCOMPARE(Field("cdsNotaFiscalGrid", "IDMARCADO"), std::string("S"));
    // Escape on the screen does nothing.
    QTest::keyClick(notes, Qt::Key_Escape);
    QVERIFY(View() != nullptr);
}

void QtHostTest::pageDownMovesAPageAndCtrlHomeBackToTheFirstRow() {
    TypeInto("medFilial", "0001");
    QTest::keyClick(Widget<EditWidget>("medFilial"), Qt::Key_Tab);
    TypeInto("depDtEntIni", "01/01/2026");
    TypeInto("depDtEntFin", "31/12/2026");
    GridWidget* notes = Widget<GridWidget>("dbgNotaFiscal");
    QTest::mouseClick(notes->viewport(), Qt::LeftButton, {},
                      notes->viewport()->rect().bottomRight() - QPoint(5, 5));
    vcl::TClientDataSet* data = notes->Grid().DataSet();
    const int page = notes->Grid().VisibleRowCount();
    QVERIFY2(data->RecordCount() > page + 1,
             qPrintable(QString("%1 rows, %2 a page").arg(data->RecordCount()).arg(page)));
    QCOMPARE(data->RecNo(), 1);
    QTest::keyClick(notes, Qt::Key_PageDown);
    QCOMPARE(data->RecNo(), 1 + page);
    QVERIFY(!notes->CellRect(data->RecNo(), ColumnOf(notes->Grid(), "NRNOTAFISC")).isEmpty());  // on view
    QTest::keyClick(notes, Qt::Key_PageUp);
    QCOMPARE(data->RecNo(), 1);
    QTest::keyClick(notes, Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(data->RecNo(), data->RecordCount());
    QTest::keyClick(notes, Qt::Key_Home, Qt::ControlModifier);
    QCOMPARE(data->RecNo(), 1);
}

void QtHostTest::cancelOnTheBusyOverlayEndsACallToASilentServer() {
    zrmqt::SilentServer silent;
    QVERIFY(silent.Port() > 0);
    vlm::TNetConnection net(nullptr, "netSilencioso");
    net.ServerName = "zrm90000.rdmRemessaAnalise";
    net.Host = "127.0.0.1";
    net.Port = silent.Port();
    net.TimeoutSeconds = 30;
    net.Waiter = &host_->CallWaiter();

    QString progress;
    QElapsedTimer sinceCancel;
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        zrmqt::BusyOverlay* overlay = host_->Services().ShownOverlay();
        if (overlay == nullptr || overlay->CancelButton() == nullptr ||
            !overlay->CancelButton()->isVisible()) {
            return;
        }
        poll.stop();
        progress = overlay->ProgressText();
        QCOMPARE(overlay->CancelButton()->text(), QString("Cancelar"));
        sinceCancel.start();
        QTest::mouseClick(overlay->CancelButton(), Qt::LeftButton);
    });
    poll.start();
    QString failure;
    try {
        net.AppServer("getNotasFiscais", {});
    } catch (const vcl::Exception& error) {
        failure = QString::fromUtf8(error.what());
    }
    QVERIFY(sinceCancel.isValid());
    QVERIFY2(sinceCancel.elapsed() < 1000, qPrintable(QString::number(sinceCancel.elapsed())));
    QCOMPARE(failure, QString("Operação cancelada pelo usuário"));
    QVERIFY2(progress.startsWith("Tempo decorrido: 1 s") && progress.contains("Recebidos: 0 bytes"),
             qPrintable(progress));
    QVERIFY(!host_->CallWaiter().Waiting());
    QCOMPARE(host_->Services().ShownOverlay(), nullptr);  // the call's own overlay went away
}

void QtHostTest::startUpFailuresAreShownInAWindow() {
    // A named application server that refuses the connection (nothing listens on port 1).
    zrmqt::DesktopOptions options;
    options.db = "sqlite3://db=" + dir_.filePath("startup.db").toStdString();
    options.server = "127.0.0.1:1";
    options.packagePath = ZRM_PACKAGE_PATH;
    std::string text;
    try {
        zrmqt::DesktopHost refused(options);
        QFAIL("the desktop started without its server");
    } catch (const zrmqt::StartupFailure& failure) {
        text = failure.UserText();
    }
    QCOMPARE(
        QString::fromStdString(text),
        QString(
            "Não foi possível conectar com o servidor de aplicação em 127.0.0.1:1: a conexão foi recusada."));

    ModalScript modals;
    modals.ThenMessage();
    QCOMPARE(zrmqt::ReportStartupFailure(zrmqt::StartupFailure(text, "detail"), true), 1);
    QCOMPARE(modals.Messages(), QStringList{QString::fromStdString(text)});
    // Anything else says only that the system could not start.
    QCOMPARE(zrmqt::StartupFailureText(std::runtime_error("soci: no such table")),
             std::string("O sistema não pôde ser iniciado. Os detalhes foram registrados no log."));
}

QTEST_MAIN(QtHostTest)
#include "qt_host_test.moc"
