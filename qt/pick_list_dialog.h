// The pick list: the rows of a lookup under their column labels, with
// type-to-filter, keyboard navigation, Enter or double-click to pick and
// Escape to cancel.
#pragma once

#include <QDialog>
#include <optional>

#include "contracts/host_services.h"

class QLineEdit;
class QTableWidget;
class QLabel;

namespace zrmqt {

class PickListDialog : public QDialog {
    Q_OBJECT
public:
    PickListDialog(const std::string& title, const contracts::TextTable& table, QWidget* parent = nullptr);

    // The picked row, as an index into the table given; nullopt until picked.
    std::optional<int> Picked() const { return picked_; }
    QLineEdit* FilterEdit() const { return filter_; }
    QTableWidget* Table() const { return rows_; }
    // Shows only the rows with a cell containing the text (case-insensitive).
    void Filter(const QString& text);
    // Picks the highlighted row (Enter, double-click, the OK button).
    void PickCurrent();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    const contracts::TextTable& table_;
    QLineEdit* filter_;
    QTableWidget* rows_;
    QLabel* count_;
    std::optional<int> picked_;
};

}  // namespace zrmqt
