#include "qt/date_edit_widget.h"

#include <QKeyEvent>
#include <QLocale>
#include <QPainter>
#include <QPixmap>

#include "qt/qt_convert.h"

namespace zrmqt {

namespace {

// A small calendar page: a red binding strip over a white page with a grid of days.
QIcon CalendarGlyph() {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.fillRect(1, 2, 14, 13, Qt::white);
    painter.fillRect(1, 2, 14, 3, QColor(192, 0, 0));
    painter.setPen(Qt::black);
    painter.drawRect(1, 2, 13, 12);
    painter.setPen(QColor(128, 128, 128));
    for (int x = 4; x < 14; x += 3) {
        for (int y = 7; y < 14; y += 3) {
            painter.drawPoint(x, y);
            painter.drawPoint(x + 1, y);
        }
    }
    painter.setPen(Qt::black);
    painter.drawLine(4, 0, 4, 3);
    painter.drawLine(11, 0, 11, 3);
    return QIcon(pixmap);
}

const char* const kWeekdays[] = {"Domingo", "Segunda", "Terça", "Quarta", "Quinta", "Sexta", "Sábado"};

}  // namespace

DateEditWidget::DateEditWidget(vlm::TDateEditPlus& edit, QWidget* parent)
    : EditWidget(edit, parent), date_(edit), dropDown_(new QToolButton(this)) {
    dropDown_->setIcon(CalendarGlyph());
    dropDown_->setFocusPolicy(Qt::NoFocus);
    dropDown_->setCursor(Qt::ArrowCursor);
    dropDown_->setAutoRaise(true);
    dropDown_->setToolTip(QStringLiteral("Calendário"));
    connect(dropDown_, &QToolButton::clicked, this, &DateEditWidget::OpenCalendar);
}

void DateEditWidget::resizeEvent(QResizeEvent* event) {
    EditWidget::resizeEvent(event);
    const int side = std::max(1, height() - 4);
    dropDown_->setGeometry(width() - side - 2, 2, side, side);
    setTextMargins(0, 0, side, 0);
}

QColor DateEditWidget::TextColor() const {
    return date_.Date() ? ToQColor(date_.ValidDateColor) : EditWidget::TextColor();
}

void DateEditWidget::Sync() {
    EditWidget::Sync();
    dropDown_->setEnabled(date_.IsEnabledInTree() && !date_.ReadOnly);
    QString tip;
    if (date_.NomeSemana) {
        if (const auto date = date_.Date()) {
            const QDate shown(date->Year(), date->Month(), date->Day());
            tip = QString::fromUtf8(kWeekdays[shown.dayOfWeek() % 7]);
        }
    }
    setToolTip(tip);
}

void DateEditWidget::OpenCalendar() {
    if (calendar_ == nullptr) {
        calendar_ = new QCalendarWidget(this);
        calendar_->setWindowFlags(Qt::Popup);
        calendar_->setLocale(QLocale(QLocale::Portuguese, QLocale::Brazil));
        calendar_->setFirstDayOfWeek(Qt::Sunday);
        calendar_->setGridVisible(true);
        connect(calendar_, &QCalendarWidget::clicked, this, &DateEditWidget::UserPicks);
        connect(calendar_, &QCalendarWidget::activated, this, &DateEditWidget::UserPicks);
    }
    QDate shown = QDate::currentDate();
    if (const auto date = date_.Date()) {
        shown = QDate(date->Year(), date->Month(), date->Day());
    }
    calendar_->setSelectedDate(shown);
    calendar_->adjustSize();
    calendar_->move(mapToGlobal(QPoint(0, height())));
    calendar_->show();
    calendar_->setFocus(Qt::PopupFocusReason);
}

void DateEditWidget::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Down && event->modifiers() == Qt::AltModifier) {
        if (dropDown_->isEnabled()) {
            OpenCalendar();
        }
        event->accept();
        return;
    }
    EditWidget::keyPressEvent(event);
}

void DateEditWidget::UserPicks(const QDate& date) {
    if (calendar_ != nullptr) {
        calendar_->hide();
    }
    UserTypes(date.toString(QStringLiteral("dd/MM/yyyy")));
}

}  // namespace zrmqt
