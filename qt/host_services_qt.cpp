#include "qt/host_services_qt.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <utility>

#include "qt/host_loop.h"
#include "qt/pick_list_dialog.h"

namespace zrmqt {

using contracts::TMsgDlgBtn;
using contracts::TMsgDlgType;

namespace {

constexpr std::pair<TMsgDlgBtn, QMessageBox::StandardButton> kButtons[] = {
    {TMsgDlgBtn::Yes, QMessageBox::Yes},       {TMsgDlgBtn::No, QMessageBox::No},
    {TMsgDlgBtn::OK, QMessageBox::Ok},         {TMsgDlgBtn::Cancel, QMessageBox::Cancel},
    {TMsgDlgBtn::Abort, QMessageBox::Abort},   {TMsgDlgBtn::Retry, QMessageBox::Retry},
    {TMsgDlgBtn::Ignore, QMessageBox::Ignore}, {TMsgDlgBtn::All, QMessageBox::YesToAll},
    {TMsgDlgBtn::Help, QMessageBox::Help},
};

QMessageBox::Icon IconOf(TMsgDlgType type) {
    switch (type) {
        case TMsgDlgType::Warning:
            return QMessageBox::Warning;
        case TMsgDlgType::Error:
            return QMessageBox::Critical;
        case TMsgDlgType::Information:
            return QMessageBox::Information;
        case TMsgDlgType::Confirmation:
            return QMessageBox::Question;
        case TMsgDlgType::Custom:
            break;
    }
    return QMessageBox::NoIcon;
}

QString TitleOf(TMsgDlgType type) {
    switch (type) {
        case TMsgDlgType::Warning:
            return QStringLiteral("Aviso");
        case TMsgDlgType::Error:
            return QStringLiteral("Erro");
        case TMsgDlgType::Information:
            return QStringLiteral("Informação");
        case TMsgDlgType::Confirmation:
            return QStringLiteral("Confirmação");
        case TMsgDlgType::Custom:
            break;
    }
    return QStringLiteral("Mensagem");
}

QTableWidget* TableOf(const contracts::TextTable& table, QWidget* parent) {
    auto* widget =
        new QTableWidget(static_cast<int>(table.rows.size()), static_cast<int>(table.columns.size()), parent);
    QStringList headers;
    for (const std::string& column : table.columns) {
        headers << QString::fromStdString(column);
    }
    widget->setHorizontalHeaderLabels(headers);
    for (std::size_t r = 0; r < table.rows.size(); ++r) {
        for (std::size_t c = 0; c < table.rows[r].size() && c < table.columns.size(); ++c) {
            widget->setItem(static_cast<int>(r), static_cast<int>(c),
                            new QTableWidgetItem(QString::fromStdString(table.rows[r][c])));
        }
    }
    widget->setEditTriggers(QAbstractItemView::NoEditTriggers);
    widget->setSelectionBehavior(QAbstractItemView::SelectRows);
    widget->verticalHeader()->hide();
    widget->horizontalHeader()->setStretchLastSection(true);
    widget->resizeColumnsToContents();
    return widget;
}

}  // namespace

// ---- busy overlay ----

QString ProgressDescription(std::chrono::milliseconds elapsed, std::uint64_t received) {
    const QLocale brazil(QLocale::Portuguese, QLocale::Brazil);
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(elapsed).count();
    QString data;
    if (received < 1024) {
        data = QStringLiteral("%1 bytes").arg(received);
    } else if (received < 1024 * 1024) {
        data = brazil.toString(static_cast<double>(received) / 1024, 'f', 1) + QStringLiteral(" KB");
    } else {
        data = brazil.toString(static_cast<double>(received) / (1024 * 1024), 'f', 1) + QStringLiteral(" MB");
    }
    return QStringLiteral("Tempo decorrido: %1 s · Recebidos: %2").arg(seconds).arg(data);
}

BusyOverlay::BusyOverlay(const QString& text, QWidget* parent) : QWidget(parent), text_(text) {
    setAttribute(Qt::WA_TransparentForMouseEvents, false);
    startTimer(80);
}

void BusyOverlay::timerEvent(QTimerEvent* /*event*/) {
    step_ = (step_ + 1) % 12;
    update();
}

QRect BusyOverlay::Box() const {
    const QFontMetrics metrics(font());
    const int textWidth = std::max(metrics.horizontalAdvance(text_), metrics.horizontalAdvance(progress_));
    const int boxWidth = std::max(260, textWidth + 80);
    const int boxHeight = progress_.isEmpty() ? 80 : 80 + metrics.height() + 36;
    return {rect().center().x() - boxWidth / 2, rect().center().y() - boxHeight / 2, boxWidth, boxHeight};
}

void BusyOverlay::ShowProgress(std::chrono::milliseconds elapsed, std::uint64_t received,
                               std::function<void()> cancel) {
    progress_ = ProgressDescription(elapsed, received);
    onCancel_ = std::move(cancel);
    if (cancel_ == nullptr) {
        cancel_ = new QPushButton(QStringLiteral("Cancelar"), this);
        cancel_->setFocusPolicy(Qt::NoFocus);
        connect(cancel_, &QPushButton::clicked, this, &BusyOverlay::Cancel);
    }
    const QRect box = Box();
    const QSize button = cancel_->sizeHint();
    cancel_->setGeometry(box.center().x() - button.width() / 2, box.bottom() - button.height() - 8,
                         button.width(), button.height());
    cancel_->show();
    update();
}

void BusyOverlay::Cancel() {
    if (onCancel_) {
        onCancel_();
    }
}

void BusyOverlay::EndProgress() {
    progress_.clear();
    onCancel_ = nullptr;
    if (cancel_ != nullptr) {
        cancel_->hide();
    }
    update();
}

void BusyOverlay::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (cancel_ != nullptr) {
        const QRect box = Box();
        cancel_->move(box.center().x() - cancel_->width() / 2, box.bottom() - cancel_->height() - 8);
    }
}

void BusyOverlay::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), QColor(0, 0, 0, 60));
    const QRect box = Box();
    painter.setPen(QColor(128, 128, 128));
    painter.setBrush(QColor(255, 255, 225));
    painter.drawRoundedRect(box, 6, 6);
    // A wheel of twelve spokes, the current one darkest.
    const QRect head(box.left(), box.top(), box.width(), 80);
    const QPointF centre(head.left() + 36, head.center().y());
    for (int i = 0; i < 12; ++i) {
        const int age = (step_ - i + 12) % 12;
        painter.setPen(QPen(QColor(0, 0, 128, 255 - age * 18), 3, Qt::SolidLine, Qt::RoundCap));
        painter.save();
        painter.translate(centre);
        painter.rotate(i * 30.0);
        painter.drawLine(QPointF(0, -8), QPointF(0, -15));
        painter.restore();
    }
    painter.setPen(Qt::black);
    painter.drawText(head.adjusted(64, 0, -8, 0), Qt::AlignVCenter | Qt::AlignLeft | Qt::TextWordWrap, text_);
    if (!progress_.isEmpty()) {
        const QFontMetrics metrics(font());
        painter.drawText(QRect(box.left() + 8, head.bottom() - 4, box.width() - 16, metrics.height()),
                         Qt::AlignHCenter | Qt::AlignVCenter, progress_);
    }
}

// ---- services ----

QtHostServices::QtHostServices(HostLoop& loop) : loop_(loop) {}

QtHostServices::~QtHostServices() {
    delete busy_.data();
    delete callOverlay_.data();
}

QWidget* QtHostServices::DialogParent() const {
    if (QWidget* modal = QApplication::activeModalWidget()) {
        return modal;
    }
    if (QWidget* active = QApplication::activeWindow()) {
        return active;
    }
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->inherits("QMainWindow") && top->isVisible()) {
            return top;
        }
    }
    return nullptr;
}

TMsgDlgBtn QtHostServices::ShowMessage(TMsgDlgType type, const std::string& text,
                                       const std::vector<TMsgDlgBtn>& buttons) {
    loop_.Sync();  // the forms as they stand when the message appears
    QMessageBox box(IconOf(type), TitleOf(type), QString::fromStdString(text), QMessageBox::NoButton,
                    DialogParent());
    for (const TMsgDlgBtn button : buttons) {
        for (const auto& [ours, theirs] : kButtons) {
            if (ours == button) {
                box.addButton(theirs);
            }
        }
    }
    if (buttons.empty()) {
        box.addButton(QMessageBox::Ok);
    }
    const int pressed = box.exec();
    for (const auto& [ours, theirs] : kButtons) {
        if (theirs == pressed) {
            return ours;
        }
    }
    // Closed by Escape or the window's close box.
    return std::find(buttons.begin(), buttons.end(), TMsgDlgBtn::Cancel) != buttons.end() ? TMsgDlgBtn::Cancel
           : buttons.empty()                                                              ? TMsgDlgBtn::OK
                                                                                          : buttons.back();
}

std::optional<int> QtHostServices::PickRow(const std::string& title, const contracts::TextTable& table) {
    loop_.Sync();
    PickListDialog dialog(title, table, DialogParent());
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.Picked();
}

void QtHostServices::ShowBusy(vcl::TForm& form, int /*animation*/, const std::string& text) {
    HideBusy();
    loop_.Sync();
    QWidget* over = loop_.ViewOf(form);
    if (over == nullptr) {
        over = DialogParent();
    }
    if (over == nullptr) {
        return;  // nothing on screen to cover
    }
    busy_ = new BusyOverlay(QString::fromStdString(text), over);
    busy_->setGeometry(over->rect());
    busy_->raise();
    busy_->show();
    // The server call that follows blocks the event loop: paint now.
    busy_->repaint();
}

BusyOverlay* QtHostServices::OverlayForCall() {
    if (busy_ != nullptr) {
        return busy_.data();
    }
    if (callOverlay_ == nullptr) {
        // Over the form the user works in, else over the active window.
        const vcl::TForm* active = loop_.Application().Screen().ActiveForm;
        QWidget* over = active != nullptr ? loop_.ViewOf(*active) : nullptr;
        if (over == nullptr) {
            over = DialogParent();
        }
        if (over == nullptr) {
            return nullptr;
        }
        callOverlay_ = new BusyOverlay(QStringLiteral("Aguardando o servidor de aplicação..."), over);
        callOverlay_->setGeometry(over->rect());
        callOverlay_->raise();
        callOverlay_->show();
    }
    return callOverlay_.data();
}

void QtHostServices::EndCall() {
    if (callOverlay_ != nullptr) {
        callOverlay_->hide();
        callOverlay_->deleteLater();
        callOverlay_ = nullptr;
    }
    if (busy_ != nullptr) {
        busy_->EndProgress();  // the module's animation goes on without the call's controls
    }
}

void QtHostServices::HideBusy() {
    if (busy_ != nullptr) {
        busy_->hide();
        busy_->deleteLater();
        busy_ = nullptr;
    }
}

void QtHostServices::ShowDetail(const std::string& title, const std::string& subtitle,
                                const contracts::TextTable& table) {
    loop_.Sync();
    QDialog dialog(DialogParent());
    dialog.setWindowTitle(QString::fromStdString(title));
    auto* layout = new QVBoxLayout(&dialog);
    auto* heading = new QLabel(QString::fromStdString(title), &dialog);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    layout->addWidget(heading);
    if (!subtitle.empty()) {
        layout->addWidget(new QLabel(QString::fromStdString(subtitle), &dialog));
    }
    QTableWidget* rows = TableOf(table, &dialog);
    layout->addWidget(rows);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    layout->addWidget(buttons);
    dialog.resize(std::max(560, rows->horizontalHeader()->length() + 40), 320);
    dialog.exec();
}

}  // namespace zrmqt
