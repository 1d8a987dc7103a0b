#include "qt/pick_list_dialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace zrmqt {

PickListDialog::PickListDialog(const std::string& title, const contracts::TextTable& table, QWidget* parent)
    : QDialog(parent),
      table_(table),
      filter_(new QLineEdit(this)),
      rows_(new QTableWidget(this)),
      count_(new QLabel(this)) {
    setWindowTitle(QString::fromStdString(title));
    filter_->setPlaceholderText(QStringLiteral("Digite para filtrar"));
    filter_->installEventFilter(this);

    rows_->setColumnCount(static_cast<int>(table.columns.size()));
    QStringList headers;
    for (const std::string& column : table.columns) {
        headers << QString::fromStdString(column);
    }
    rows_->setHorizontalHeaderLabels(headers);
    rows_->setRowCount(static_cast<int>(table.rows.size()));
    for (std::size_t r = 0; r < table.rows.size(); ++r) {
        for (std::size_t c = 0; c < table.rows[r].size() && c < table.columns.size(); ++c) {
            auto* item = new QTableWidgetItem(QString::fromStdString(table.rows[r][c]));
            item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
            rows_->setItem(static_cast<int>(r), static_cast<int>(c), item);
        }
    }
    rows_->setSelectionBehavior(QAbstractItemView::SelectRows);
    rows_->setSelectionMode(QAbstractItemView::SingleSelection);
    rows_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    rows_->verticalHeader()->hide();
    rows_->horizontalHeader()->setStretchLastSection(true);
    rows_->resizeColumnsToContents();
    rows_->installEventFilter(this);
    connect(rows_, &QTableWidget::cellDoubleClicked, this, [this] { PickCurrent(); });
    connect(filter_, &QLineEdit::textChanged, this, &PickListDialog::Filter);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &PickListDialog::PickCurrent);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(filter_);
    layout->addWidget(rows_);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(count_);
    bottom->addStretch();
    bottom->addWidget(buttons);
    layout->addLayout(bottom);
    resize(std::max(420, rows_->horizontalHeader()->length() + 40), 360);
    Filter(QString());
    filter_->setFocus();
}

void PickListDialog::Filter(const QString& text) {
    int shown = 0;
    int first = -1;
    for (int r = 0; r < rows_->rowCount(); ++r) {
        bool match = text.isEmpty();
        for (int c = 0; !match && c < rows_->columnCount(); ++c) {
            const QTableWidgetItem* item = rows_->item(r, c);
            match = item != nullptr && item->text().contains(text, Qt::CaseInsensitive);
        }
        rows_->setRowHidden(r, !match);
        if (match) {
            ++shown;
            if (first < 0) {
                first = r;
            }
        }
    }
    const int current = rows_->currentRow();
    if (current < 0 || rows_->isRowHidden(current)) {
        if (first >= 0) {
            rows_->selectRow(first);
        } else {
            rows_->clearSelection();
            rows_->setCurrentCell(-1, -1);
        }
    }
    count_->setText(QStringLiteral("%1 de %2").arg(shown).arg(rows_->rowCount()));
}

void PickListDialog::PickCurrent() {
    const int row = rows_->currentRow();
    if (row < 0 || rows_->isRowHidden(row) || rows_->selectionModel()->selectedRows().isEmpty()) {
        return;
    }
    picked_ = row;
    accept();
}

bool PickListDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        switch (key->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
                PickCurrent();
                return true;
            case Qt::Key_Up:
            case Qt::Key_Down:
            case Qt::Key_PageUp:
            case Qt::Key_PageDown:
                if (watched == filter_) {
                    // Moving through the rows while the filter keeps the typing.
                    QKeyEvent copy(key->type(), key->key(), key->modifiers());
                    QApplication::sendEvent(rows_, &copy);
                    return true;
                }
                break;
            default:
                if (watched == rows_ && !key->text().isEmpty() && key->text()[0].isPrint()) {
                    // Typing over the list goes to the filter.
                    filter_->setFocus();
                    filter_->insert(key->text());
                    return true;
                }
                break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace zrmqt
