#include "qt/grid_widget.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include "qt/qt_convert.h"
#include "vcl/forms.h"

namespace zrmqt {

namespace {

constexpr int kIndicatorWidth = 11;
constexpr int kTextMargin = 2;

Qt::Alignment ToQtAlignment(vcl::TAlignment alignment) {
    switch (alignment) {
        case vcl::TAlignment::RightJustify:
            return Qt::AlignRight | Qt::AlignVCenter;
        case vcl::TAlignment::Center:
            return Qt::AlignHCenter | Qt::AlignVCenter;
        case vcl::TAlignment::LeftJustify:
            break;
    }
    return Qt::AlignLeft | Qt::AlignVCenter;
}

}  // namespace

GridWidget::GridWidget(vcl::TDBGrid& grid, QWidget* parent)
    : QAbstractScrollArea(parent), ControlBinding(grid), grid_(grid) {
    setFocusPolicy(Qt::ClickFocus);
    setFrameShape(QFrame::StyledPanel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setAutoFillBackground(false);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        grid_.TopRow = value + 1;
        viewport()->update();
    });
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, [this] { viewport()->update(); });
}

std::vector<int> GridWidget::ShownColumns() const {
    std::vector<int> shown;
    const auto& columns = grid_.Columns();
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (columns[i]->Visible) {
            shown.push_back(static_cast<int>(i));
        }
    }
    return shown;
}

int GridWidget::RowHeight() const {
    return grid_.DefaultRowHeight + 1;
}  // the row line below
int GridWidget::TitleHeight() const {
    return grid_.HasOption(vcl::TGridOption::Titles) ? RowHeight() : 0;
}

int GridWidget::RowsOnView() const {
    return std::max(1, (viewport()->height() - TitleHeight()) / RowHeight());
}

int GridWidget::ColumnLeft(int column) const {
    int x = (grid_.HasOption(vcl::TGridOption::Indicator) ? kIndicatorWidth + 1 : 0) -
            horizontalScrollBar()->value();
    for (const int shown : ShownColumns()) {
        if (shown == column) {
            return x;
        }
        x += grid_.Columns()[static_cast<std::size_t>(shown)]->ShownWidth() + 1;  // the column line
    }
    return -1;
}

QRect GridWidget::CellRect(int row, int column) const {
    const int left = ColumnLeft(column);
    if (left == -1 && column >= 0) {
        const auto shown = ShownColumns();
        if (std::find(shown.begin(), shown.end(), column) == shown.end()) {
            return {};
        }
    }
    const int width = grid_.Columns()[static_cast<std::size_t>(column)]->ShownWidth();
    if (row == 0) {
        return TitleHeight() > 0 ? QRect(left, 0, width, TitleHeight() - 1) : QRect();
    }
    const int index = row - grid_.TopRow;
    if (index < 0 || index >= RowsOnView() || row > grid_.RowCount()) {
        return {};
    }
    return QRect(left, TitleHeight() + index * RowHeight(), width, RowHeight() - 1);
}

std::optional<GridWidget::Cell> GridWidget::CellAt(const QPoint& point) const {
    int row = 0;
    if (point.y() >= TitleHeight()) {
        row = grid_.TopRow + (point.y() - TitleHeight()) / RowHeight();
        if (row > grid_.RowCount()) {
            return std::nullopt;
        }
    } else if (TitleHeight() == 0) {
        return std::nullopt;
    }
    for (const int column : ShownColumns()) {
        const int left = ColumnLeft(column);
        const int width = grid_.Columns()[static_cast<std::size_t>(column)]->ShownWidth() + 1;
        if (point.x() >= left && point.x() < left + width) {
            return Cell{row, column};
        }
    }
    return std::nullopt;
}

void GridWidget::Sync() {
    drawingFailed_ = false;
    const QFont font = ToQFont(grid_.Font);
    if (this->font() != font) {
        setFont(font);
    }
    const vcl::TClientDataSet* data = grid_.DataSet();
    const int recNo = data != nullptr && data->Active() ? data->RecNo() : 0;
    if (recNo != shownRecNo_ || grid_.SelectedIndex() != shownSelected_) {
        shownRecNo_ = recNo;
        shownSelected_ = grid_.SelectedIndex();
        KeepSelectionOnView();
    }
    UpdateScrollBars();
    viewport()->update();
}

void GridWidget::UpdateScrollBars() {
    const int rows = grid_.RowCount();
    const int onView = RowsOnView();
    grid_.RowsInView = onView;  // the page the paging keys move by
    grid_.TopRow = std::clamp(grid_.TopRow, 1, std::max(1, rows - onView + 1));
    verticalScrollBar()->setRange(0, std::max(0, rows - onView));
    verticalScrollBar()->setPageStep(onView);
    {
        const QSignalBlocker block(verticalScrollBar());
        verticalScrollBar()->setValue(grid_.TopRow - 1);
    }
    int total = grid_.HasOption(vcl::TGridOption::Indicator) ? kIndicatorWidth + 1 : 0;
    for (const int column : ShownColumns()) {
        total += grid_.Columns()[static_cast<std::size_t>(column)]->ShownWidth() + 1;
    }
    horizontalScrollBar()->setRange(0, std::max(0, total - viewport()->width()));
    horizontalScrollBar()->setPageStep(viewport()->width());
}

void GridWidget::KeepSelectionOnView() {
    if (shownRecNo_ > 0) {
        if (shownRecNo_ < grid_.TopRow) {
            grid_.TopRow = shownRecNo_;
        } else if (shownRecNo_ >= grid_.TopRow + RowsOnView()) {
            grid_.TopRow = shownRecNo_ - RowsOnView() + 1;
        }
    }
    const int column = grid_.SelectedIndex();
    if (column >= 0 && column < static_cast<int>(grid_.Columns().size())) {
        const int left = ColumnLeft(column) + horizontalScrollBar()->value();
        const int width = grid_.Columns()[static_cast<std::size_t>(column)]->ShownWidth();
        QScrollBar* bar = horizontalScrollBar();
        if (left < bar->value()) {
            bar->setValue(left);
        } else if (left + width > bar->value() + viewport()->width()) {
            bar->setValue(left + width - viewport()->width());
        }
    }
}

void GridWidget::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

std::vector<GridWidget::CellPaint> GridWidget::CellsOnView() const {
    std::vector<CellPaint> cells;
    const vcl::TClientDataSet* data = grid_.DataSet();
    const int recNo = data != nullptr && data->Active() ? data->RecNo() : 0;
    const bool showSelection = grid_.HasOption(vcl::TGridOption::AlwaysShowSelection) || grid_.Focused();
    const int selected = grid_.SelectedIndex();
    for (const int column : ShownColumns()) {
        for (int row = grid_.TopRow; row <= grid_.RowCount() && row < grid_.TopRow + RowsOnView(); ++row) {
            const QRect rect = CellRect(row, column);
            if (rect.isEmpty() || rect.right() < 0 || rect.left() > viewport()->width()) {
                continue;
            }
            CellPaint cell;
            cell.rect = rect;
            cell.row = row;
            cell.column = column;
            cell.selected = showSelection && row == recNo &&
                            (column == selected || grid_.HasOption(vcl::TGridOption::RowSelect));
            cell.editor = grid_.EditorMode() && row == recNo && column == selected;
            cells.push_back(std::move(cell));
        }
    }
    return cells;
}

void GridWidget::PrepareCells(std::vector<CellPaint>& cells) {
    if (drawingFailed_) {
        return;
    }
    drawingFailed_ = true;  // a failure's message may repaint the grid before Run returns
    const bool completed = ViewOf(this)->Sink().Run([&] {
        for (CellPaint& cell : cells) {
            if (cell.editor) {
                continue;
            }
            vcl::TBitmap drawn(cell.rect.width(), cell.rect.height());
            vcl::TCanvas canvas(drawn);
            const vcl::TRect rect = vcl::Rect(0, 0, cell.rect.width(), cell.rect.height());
            if (grid_.DrawCell(canvas, rect, cell.row, cell.column, cell.selected)) {
                cell.drawn = ToQImage(drawn);
            } else {
                cell.text = QString::fromStdString(grid_.CellText(cell.row, cell.column));
            }
            cell.prepared = true;
        }
    });
    drawingFailed_ = !completed;
}

void GridWidget::paintEvent(QPaintEvent* /*event*/) {
    std::vector<CellPaint> cells = CellsOnView();
    PrepareCells(cells);

    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), ToQColor(grid_.Color));
    const vcl::TClientDataSet* data = grid_.DataSet();
    const int recNo = data != nullptr && data->Active() ? data->RecNo() : 0;

    if (grid_.HasOption(vcl::TGridOption::Indicator)) {
        const QRect title(0, 0, kIndicatorWidth, TitleHeight() - 1);
        painter.fillRect(title, ToQColor(vcl::clBtnFace));
        for (int row = grid_.TopRow; row <= grid_.RowCount() && row < grid_.TopRow + RowsOnView(); ++row) {
            const QRect cell(0, TitleHeight() + (row - grid_.TopRow) * RowHeight(), kIndicatorWidth,
                             RowHeight() - 1);
            painter.fillRect(cell, ToQColor(vcl::clBtnFace));
            if (row == recNo) {
                painter.setPen(Qt::black);
                painter.setBrush(Qt::black);
                const QPoint c = cell.center();
                painter.drawPolygon(QPolygon(
                    {QPoint(c.x() - 2, c.y() - 4), QPoint(c.x() + 2, c.y()), QPoint(c.x() - 2, c.y() + 4)}));
            }
        }
    }
    for (const int column : ShownColumns()) {
        if (const QRect title = CellRect(0, column); !title.isEmpty()) {
            PaintTitle(painter, title, *grid_.Columns()[static_cast<std::size_t>(column)]);
        }
    }
    const QColor lines = ToQColor(vcl::clSilver);
    for (const CellPaint& cell : cells) {
        if (cell.editor) {
            PaintEditor(painter, cell.rect, *grid_.Columns()[static_cast<std::size_t>(cell.column)]);
        } else {
            PaintCell(painter, cell);
        }
        painter.setPen(lines);
        const QRect& rect = cell.rect;
        if (grid_.HasOption(vcl::TGridOption::ColLines)) {
            painter.drawLine(rect.right() + 1, rect.top(), rect.right() + 1, rect.bottom() + 1);
        }
        if (grid_.HasOption(vcl::TGridOption::RowLines)) {
            painter.drawLine(rect.left(), rect.bottom() + 1, rect.right() + 1, rect.bottom() + 1);
        }
    }
}

void GridWidget::PaintTitle(QPainter& painter, const QRect& rect, const vcl::TColumn& column) {
    painter.fillRect(rect, ToQColor(vcl::clBtnFace));
    painter.setPen(ToQColor(vcl::clWhite));
    painter.drawLine(rect.topLeft(), rect.topRight());
    painter.drawLine(rect.topLeft(), rect.bottomLeft());
    painter.setPen(ToQColor(vcl::clGray));
    painter.drawLine(rect.bottomLeft(), rect.bottomRight());
    painter.drawLine(rect.topRight(), rect.bottomRight());
    painter.setFont(ToQFont(column.Title.Font));
    painter.setPen(ToQColor(column.Title.Font.Color));
    painter.drawText(rect.adjusted(kTextMargin, 0, -kTextMargin, 0), ToQtAlignment(column.Title.Alignment),
                     QString::fromStdString(column.ShownTitle()));
}

void GridWidget::PaintCell(QPainter& painter, const CellPaint& cell) {
    if (cell.drawn) {
        painter.drawImage(cell.rect.topLeft(), *cell.drawn);
        return;
    }
    // The default painting, with the platform's font.
    const vcl::TColumn& col = *grid_.Columns()[static_cast<std::size_t>(cell.column)];
    painter.fillRect(cell.rect, ToQColor(cell.selected ? grid_.SelectionColor : col.Color));
    if (cell.prepared && grid_.DefaultDrawing) {
        painter.setPen(ToQColor(cell.selected ? vcl::clHighlightText : grid_.Font.Color));
        painter.setFont(ToQFont(grid_.Font));
        painter.drawText(cell.rect.adjusted(kTextMargin, 0, -kTextMargin, 0), ToQtAlignment(col.Alignment),
                         cell.text);
    }
}

void GridWidget::PaintEditor(QPainter& painter, const QRect& rect, const vcl::TColumn& column) {
    painter.fillRect(rect, ToQColor(vcl::clWindow));
    painter.setPen(ToQColor(vcl::clBlack));
    painter.drawRect(rect.adjusted(0, 0, -1, -1));
    painter.setFont(ToQFont(grid_.Font));
    const QString text = QString::fromStdString(grid_.EditorText());
    const QRect inside = rect.adjusted(kTextMargin, 0, -kTextMargin, 0);
    painter.drawText(inside, ToQtAlignment(column.Alignment), text);
    if (grid_.Focused()) {
        // The caret after the typed text.
        const QFontMetrics metrics(painter.font());
        const int textWidth = metrics.horizontalAdvance(text);
        const int x = column.Alignment == vcl::TAlignment::RightJustify ? inside.right() + 1
                      : column.Alignment == vcl::TAlignment::Center     ? inside.center().x() + textWidth / 2
                                                                        : inside.left() + textWidth;
        painter.drawLine(x, rect.top() + 2, x, rect.bottom() - 2);
    }
}

bool GridWidget::event(QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            keyPressEvent(key);
            return true;
        }
    }
    return QAbstractScrollArea::event(event);
}

void GridWidget::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    const auto cell = CellAt(event->position().toPoint());
    if (!cell) {
        UserFocuses();
    } else if (cell->row == 0) {
        UserClicksTitle(cell->column);
    } else {
        UserClicksCell(cell->row, cell->column);
    }
    event->accept();
}

void GridWidget::UserClicksCell(int row, int column) {
    ViewOf(this)->Sink().Act([this, row, column] { grid_.ClickCell(row, column); });
}

void GridWidget::UserFocuses() {
    ViewOf(this)->Sink().Act([this] {
        if (!grid_.Focused() && grid_.CanFocus()) {
            grid_.SetFocus();
        }
    });
}

void GridWidget::UserClicksTitle(int column) {
    ViewOf(this)->Sink().Act([this, column] { grid_.ClickTitle(column); });
}

void GridWidget::keyPressEvent(QKeyEvent* event) {
    if (const auto stroke = TranslateKey(*event)) {
        FormView* view = ViewOf(this);
        ForwardKey(view->Sink(), view->Form(), *stroke);
    }
    event->accept();
}

void GridWidget::wheelEvent(QWheelEvent* event) {
    // The wheel moves the current row, as the arrow keys do.
    const int steps = event->angleDelta().y() / 120;
    FormView* view = ViewOf(this);
    if (!grid_.Focused()) {
        event->accept();
        return;
    }
    for (int i = 0; i < std::abs(steps); ++i) {
        ForwardKey(view->Sink(), view->Form(), KeyStroke{steps > 0 ? vcl::vk::Up : vcl::vk::Down, 0, {}});
    }
    event->accept();
}

}  // namespace zrmqt
