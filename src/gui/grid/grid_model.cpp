#include "gui/grid/grid_model.h"

#include <QColor>

#include "core/grid/grid_layout.h"
#include "core/model/cp1251.h"
#include "gui/grid/grid_colours.h"

grid_model::grid_model(QObject* parent) : QAbstractTableModel(parent) {
  // The code page's characters as the cells draw them; every one of them is a single UTF-16 unit.
  for (int b = 0; b < 256; ++b) {
    const QString one = QString::fromStdString(cp1251().utf8(static_cast<uint8_t>(b)));
    cp1251_[static_cast<size_t>(b)] = one.isEmpty() ? QChar(0xFFFD) : one.front();
  }
}

void grid_model::setStore(const PAKETS* store) {
  store_ = store;
  cached_row_ = -1;
  cached_packet_ = nullptr;
}

void grid_model::setMode(view_mode mode) {
  if (mode_ == mode) return;
  mode_ = mode;
  if (rows_ > 0 && columns_ > 0) {
    emit dataChanged(index(0, 0), index(rows_ - 1, columns_ - 1), {Qt::DisplayRole});
  }
  emit headerDataChanged(Qt::Horizontal, 0, columns_ - 1);
  emit headerDataChanged(Qt::Vertical, 0, rows_ - 1);
}

void grid_model::setDimensions(int grid_columns, int grid_rows) {
  const int rows = std::max(grid_rows, 2) - 1;
  const int columns = std::max(grid_columns, 2) - 1;
  if (rows > rows_) {
    beginInsertRows({}, rows_, rows - 1);
    rows_ = rows;
    endInsertRows();
  } else if (rows < rows_) {
    beginRemoveRows({}, rows, rows_ - 1);
    rows_ = rows;
    endRemoveRows();
  }
  if (columns > columns_) {
    beginInsertColumns({}, columns_, columns - 1);
    columns_ = columns;
    endInsertColumns();
  } else if (columns < columns_) {
    beginRemoveColumns({}, columns, columns_ - 1);
    columns_ = columns;
    endRemoveColumns();
  }
}

int grid_model::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : rows_;
}

int grid_model::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : columns_;
}

uint32_t grid_model::packetCount() const {
  return store_ != nullptr ? static_cast<uint32_t>(store_->size()) : 0;
}

const xpaket* grid_model::packet(int row) const {
  if (store_ == nullptr || row < 0) return nullptr;
  if (painting_ && row == cached_row_) return cached_packet_;
  const auto it = store_->find(static_cast<uint32_t>(row));
  const xpaket* p = it != store_->end() ? it->second : nullptr;
  if (painting_) {
    cached_row_ = row;
    cached_packet_ = p;
  }
  return p;
}

void grid_model::beginPaint() const {
  painting_ = true;
  cached_row_ = -1;
  cached_packet_ = nullptr;
}

void grid_model::endPaint() const {
  painting_ = false;
  cached_row_ = -1;
  cached_packet_ = nullptr;
}

QVariant grid_model::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const xpaket* p = packet(index.row());
  if (p == nullptr) return {};
  const auto byte_index = static_cast<uint32_t>(index.column());
  const bool has_byte = byte_index < p->size(true);
  switch (role) {
    case Qt::DisplayRole: {
      if (!has_byte) return QString();
      const uint8_t b = p->get_byte(byte_index);
      if (mode_ == view_mode::text) {
        if (!has_text_char(b)) return QString();
        return QString(cp1251_[b]);
      }
      char buffer[8];
      const std::string_view text = numeric_cell_text(b, mode_, buffer);
      return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
    }
    case Qt::BackgroundRole:
      return packet_colour(p->colour);
    case Qt::UserRole:
      if (!has_byte) return {};
      return static_cast<int>(p->get_byte(byte_index));
    default:
      return {};
  }
}

QVariant grid_model::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole || section < 0) return {};
  if (orientation == Qt::Horizontal) {
    if (mode_ == view_mode::text) return QString();
    return QString::number(section + 1);
  }
  if (mode_ == view_mode::pseudo) return QString();
  const xpaket* p = packet(section);
  if (p == nullptr) return QString();
  return QString::fromStdString(
      fixed_column_text(static_cast<uint32_t>(section) + 1, p->size(true)));
}

Qt::ItemFlags grid_model::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}
