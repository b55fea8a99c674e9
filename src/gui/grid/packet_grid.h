#pragma once

#include <QFont>
#include <QPoint>
#include <QString>
#include <QTableView>

#include "core/grid/cell_text.h"
#include "core/grid/grid_layout.h"
#include "core/model/pakets.h"

class grid_model;
class grid_delegate;
class grid_header;
class QAbstractButton;

// The packet grid `tGrid`: one packet a row (row r shows packet r - 1), one byte a column (column c
// shows byte c - 1), row 0 and column 0 fixed. Every cell is painted straight from the store at
// paint time; the grid keeps no copy of packet data. The store is borrowed: it must outlive the
// grid or be detached with setStore(nullptr).
//
// Row and column indexes below are the grid's own (fixed row/column 0 included), so that the
// numbers are those the user sees.
class TPacketGrid : public QTableView {
  Q_OBJECT

 public:
  explicit TPacketGrid(QWidget* parent = nullptr);
  ~TPacketGrid() override;

  void setStore(const PAKETS* store);
  [[nodiscard]] const PAKETS* store() const;

  // Recount after the store changed: columns = longest packet + 1 (256 when 0), rows = packets + 1
  // (256 when empty); emits statusText(1, " выделение памяти...") first, then statusText(0, ...)
  // and statusText(1, ...) with the totals; yields to the GUI every 1000 packets, during which the
  // store must not change (a recount asked for meanwhile is ignored). Keeps the current cell,
  // first visible row/column, mode and range. Until the next recount, rows past the store's last
  // packet paint white.
  void RecountPackets();
  // Repaints every visible cell.
  void Redraw();

  // Position of a View menu item: 0..4 switch the mode (and the vertical lines), 6 (expanded)
  // only redoes the sizing.
  void SetViewMode(int menu_position);
  [[nodiscard]] view_mode viewMode() const;
  void setExpanded(bool on);  // does not resize: call SetViewMode(6) after
  [[nodiscard]] bool expanded() const;
  void setScrollBars(bool on);
  [[nodiscard]] bool scrollBars() const;

  // The marked column range; 0, 0 means none.
  void setColumnRange(int first, int last);
  [[nodiscard]] int rangeFirst() const;
  [[nodiscard]] int rangeLast() const;

  [[nodiscard]] int gridColumnCount() const;
  [[nodiscard]] int gridRowCount() const;
  [[nodiscard]] int currentColumn() const;  // 0 when none
  [[nodiscard]] int currentRow() const;     // 0 when none
  // Makes (column, row) current and scrolls to show it; clamped to the data cells.
  void setCurrentCell(int column, int row);
  [[nodiscard]] int firstVisibleRow() const;
  [[nodiscard]] int firstVisibleColumn() const;
  void setFirstVisibleRow(int row);
  void setFirstVisibleColumn(int column);

  // "Tahoma" 8 pt where the machine has it (Debian's fonts-wine is loaded when installed), else the
  // default sans-serif at 8 pt. The grid starts with this font.
  [[nodiscard]] static QFont defaultGridFont();

  // The model and the painter, for tests and benchmarks.
  [[nodiscard]] grid_model* gridModel() const { return model_; }
  [[nodiscard]] grid_delegate* gridDelegate() const { return delegate_; }

 signals:
  // A status bar panel's new text (panels 0 and 1 from the recount: totals and lengths).
  void statusText(int panel, const QString& text);
  // The current cell is about to move to (column, row), by the user or by setCurrentCell; the
  // grid's currentRow()/currentColumn() still tell the old cell (the main window updates its
  // panels from the arguments).
  void cellSelected(int column, int row);
  // Double click or Enter on a row that holds a packet: the packet's number.
  void packetActivated(uint32_t number);
  // The column range changed through a header drag: a press on header column `from` and a release,
  // at least the drag distance away, over column `to` marks from..to when from < to and clears the
  // range otherwise. A plain click marks its one column. The columns never reorder.
  void columnRangeChanged(int first, int last);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void restoreColumnOrder(int logical, int from_visual, int to_visual);
  [[nodiscard]] int headerColumnAt(int x) const;
  bool headerMouse(QEvent* event);
  void activateCurrentRow();
  void paintCells(const QRect& area);
  void applySizes();
  void paintCorner(QAbstractButton* corner);

  grid_view_state view_;
  bool scroll_bars_ = true;
  bool recounting_ = false;
  bool restoring_order_ = false;
  int drag_from_ = 0;  // grid column pressed in the header, 0 when none
  QPoint drag_start_;
  grid_model* model_ = nullptr;
  grid_delegate* delegate_ = nullptr;
  grid_header* columns_header_ = nullptr;
  grid_header* rows_header_ = nullptr;
  QAbstractButton* corner_ = nullptr;
};
