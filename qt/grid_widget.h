// The data grid: titles, columns, display texts and the selection painted
// from the headless TDBGrid; cells the form draws itself (its draw-cell
// handler) are drawn by the grid's DrawCell onto a bitmap and copied here.
// Clicks, keys and typing go to the headless grid through the dispatcher.
#pragma once

#include <QAbstractScrollArea>
#include <QImage>
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
    // A data cell on view and what the headless grid made of it.
    struct CellPaint {
        QRect rect;
        int row = 0;
        int column = 0;
        bool selected = false;
        bool editor = false;          // the open in-place editor
        bool prepared = false;        // false: the form's code failed; background only
        std::optional<QImage> drawn;  // the form's own drawing
        QString text;                 // otherwise, the display text
    };
    std::vector<CellPaint> CellsOnView() const;
    // Runs the form's drawing and text handlers for the cells, inside the
    // dispatcher and before any painter is open.
    void PrepareCells(std::vector<CellPaint>& cells);
    void PaintCell(QPainter& painter, const CellPaint& cell);
    void PaintEditor(QPainter& painter, const QRect& rect, const vcl::TColumn& column);

    vcl::TDBGrid& grid_;
    int shownRecNo_ = 0;
    int shownSelected_ = -1;
    // Set while the form's drawing code runs and kept after it failed, so
    // the failure is reported once rather than on every repaint; the next
    // change of the grid clears it.
    bool drawingFailed_ = false;
};

}  // namespace zrmqt
