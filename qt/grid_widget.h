// The data grid: titles, columns, display texts and the selection painted
// from the headless TDBGrid; cells the form draws itself (its draw-cell
// handler) are drawn by the grid's DrawCell onto a bitmap and copied here.
// Clicks, keys and typing go to the headless grid through the dispatcher.
#pragma once

#include <QAbstractScrollArea>
#include <optional>
#include <vector>

#include "qt/form_view.h"
#include "vcl/grid.h"

namespace zrmqt {

class GridWidget : public QAbstractScrollArea, public ControlBinding {
    Q_OBJECT
public:
    GridWidget(vcl::TDBGrid& grid, QWidget* parent);
    QWidget* Widget() override { return this; }
    void Sync() override;
    vcl::TDBGrid& Grid() const { return grid_; }

    struct Cell {
        int row = 0;     // 0: the title row; else 1-based among the rows shown
        int column = 0;  // index into the grid's columns
    };
    // Where a cell is, in viewport coordinates; empty when it is not on view.
    QRect CellRect(int row, int column) const;
    std::optional<Cell> CellAt(const QPoint& viewportPoint) const;

    void UserClicksCell(int row, int column);
    void UserClicksTitle(int column);
    // A click on the grid away from any cell: the focus moves there.
    void UserFocuses();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    std::vector<int> ShownColumns() const;
    int ColumnLeft(int column) const;  // -1 when the column is not shown
    int RowHeight() const;
    int TitleHeight() const;
    int RowsOnView() const;
    void UpdateScrollBars();
    void KeepSelectionOnView();
    void PaintTitle(QPainter& painter, const QRect& rect, const vcl::TColumn& column);
    void PaintCell(QPainter& painter, const QRect& rect, int row, int column, bool selected);
    void PaintEditor(QPainter& painter, const QRect& rect, const vcl::TColumn& column);

    vcl::TDBGrid& grid_;
    int shownRecNo_ = 0;
    int shownSelected_ = -1;
};

}  // namespace zrmqt
