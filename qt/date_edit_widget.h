// Date edit: an edit with a drop-down button that opens a calendar (Alt+Down
// opens it from the keyboard); a picked day is typed into the headless edit
// as dd/mm/yyyy.
#pragma once

#include <QCalendarWidget>
#include <QDate>
#include <QPointer>
#include <QToolButton>

#include "qt/control_widgets.h"
#include "vlm/date_edit_plus.h"

namespace zrmqt {

class DateEditWidget : public EditWidget {
    Q_OBJECT
public:
    DateEditWidget(vlm::TDateEditPlus& edit, QWidget* parent);
    void Sync() override;

    // Opens the calendar on the edit's date (today when it has none).
    void OpenCalendar();
    QCalendarWidget* Calendar() const { return calendar_; }
    // What picking a day in the calendar does.
    void UserPicks(const QDate& date);

protected:
    QColor TextColor() const override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    vlm::TDateEditPlus& date_;
    QToolButton* dropDown_;
    QPointer<QCalendarWidget> calendar_;
};

}  // namespace zrmqt
