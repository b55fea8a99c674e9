#pragma once

#include <QAbstractTableModel>
#include <QChar>

#include <array>
#include <cstdint>

#include "core/grid/cell_text.h"
#include "core/model/pakets.h"

// Table model of the packet grid. Model row i is grid row i + 1 (packet i), model column j is grid
// column j + 1 (byte j); the fixed row and column are the view's headers. The model keeps no copy
// of packet data: every call reads the borrowed store. Row and column counts change only through
// setDimensions (the recount), so a store that changed since then reads as it is now: rows past
// its last packet are empty.
class grid_model : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit grid_model(QObject* parent = nullptr);

  void setStore(const PAKETS* store);
  [[nodiscard]] const PAKETS* store() const { return store_; }
  void setMode(view_mode mode);
  [[nodiscard]] view_mode mode() const { return mode_; }

  // Grid dimensions including the fixed row and column (both at least 2).
  void setDimensions(int grid_columns, int grid_rows);

  [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
  [[nodiscard]] int columnCount(const QModelIndex& parent = {}) const override;
  // DisplayRole: the cell's text in the current mode (none in pseudo-graphics);
  // BackgroundRole: the packet's colour; UserRole: the byte value when the packet has it.
  [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
  // Horizontal: the column number (empty in text mode); vertical: "row  :  length" (empty in
  // pseudo-graphics and for rows past the last packet).
  [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation,
                                    int role) const override;
  [[nodiscard]] Qt::ItemFlags flags(const QModelIndex& index) const override;

  // Packet count of the store as it is now.
  [[nodiscard]] uint32_t packetCount() const;
  // The packet of model row `row`, or null past the last packet. While a paint is open (see
  // beginPaint) the last lookup is kept, so that the cells of one row cost one lookup.
  [[nodiscard]] const xpaket* packet(int row) const;

  // The Windows-1251 character of byte b (text mode shows it for b > 32).
  [[nodiscard]] QChar textChar(uint8_t b) const { return cp1251_[b]; }

  // Brackets one paint of the view: the store must not change in between.
  void beginPaint() const;
  void endPaint() const;

 private:
  std::array<QChar, 256> cp1251_{};
  const PAKETS* store_ = nullptr;
  view_mode mode_ = view_mode::decimal;
  int rows_ = 255;     // model rows = grid rows - 1
  int columns_ = 255;  // model columns = grid columns - 1

  mutable bool painting_ = false;
  mutable int cached_row_ = -1;
  mutable const xpaket* cached_packet_ = nullptr;
};
