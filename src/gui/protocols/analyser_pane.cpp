#include "gui/protocols/analyser_pane.h"

#include <QHeaderView>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "core/model/paket.h"
#include "core/protocols/protocol.h"

namespace {

constexpr int icon_size = 16;
constexpr int tool_strip_height = 29;
constexpr int tree_indent = 19;

// A small framed box: the packet and its layers.
QPixmap layer_pixmap() {
  QPixmap pixmap(icon_size, icon_size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setPen(QColor(0x1F, 0x3A, 0x73));
  painter.setBrush(QColor(0x7E, 0xA6, 0xE0));
  painter.drawRect(1, 3, 13, 10);
  painter.setBrush(QColor(0xFF, 0xFF, 0xFF));
  painter.drawRect(3, 5, 9, 2);
  return pixmap;
}

// A sheet with text lines: one decoded field.
QPixmap field_pixmap() {
  QPixmap pixmap(icon_size, icon_size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setPen(QColor(0x60, 0x60, 0x60));
  painter.setBrush(QColor(0xFF, 0xFF, 0xF4));
  painter.drawRect(3, 1, 10, 13);
  painter.setPen(QColor(0x40, 0x80, 0x40));
  for (int y = 4; y <= 11; y += 3) painter.drawLine(5, y, 11, y);
  return pixmap;
}

}  // namespace

Tfr_analyser::Tfr_analyser(QWidget* parent)
    : QFrame(parent), tbProto_(new QToolBar(this)), tTree_(new QTreeWidget(this)) {
  setObjectName("fAnalyser");
  setFont(QFont("Tahoma", 8));

  const QPixmap layer = layer_pixmap();
  images_[0].addPixmap(layer);
  images_[1].addPixmap(field_pixmap());
  // A selected node shows icon 0, whatever its own icon.
  images_[1].addPixmap(layer, QIcon::Selected);

  tbProto_->setObjectName("tbProto");
  tbProto_->setFixedHeight(tool_strip_height);
  tbProto_->setMovable(false);
  tbProto_->setFloatable(false);
  tbProto_->setStyleSheet("QToolBar { border: none; }");

  tTree_->setObjectName("tTree");
  tTree_->setHeaderHidden(true);
  tTree_->setColumnCount(1);
  // Long lines scroll sideways rather than being cut off.
  tTree_->header()->setStretchLastSection(false);
  tTree_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  tTree_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  tTree_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  tTree_->setIndentation(tree_indent);
  tTree_->setIconSize(QSize(icon_size, icon_size));
  // Hot tracking: the node under the mouse is drawn in the link colour.
  tTree_->setMouseTracking(true);
  tTree_->setAttribute(Qt::WA_Hover);
  tTree_->setStyleSheet("QTreeView::item:hover { color: palette(link); }");
  tTree_->viewport()->setCursor(Qt::PointingHandCursor);
  // The selection stays visible when the tree loses the focus.
  QPalette palette = tTree_->palette();
  for (const QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText}) {
    palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
  }
  tTree_->setPalette(palette);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(tbProto_);
  layout->addWidget(tTree_, 1);
}

QTreeWidgetItem* Tfr_analyser::add_node(QTreeWidgetItem* parent, const QString& text,
                                        int image_index) {
  auto* node = parent == nullptr ? new QTreeWidgetItem(tTree_) : new QTreeWidgetItem(parent);
  node->setText(0, text);
  node->setIcon(0, images_[image_index]);
  return node;
}

void Tfr_analyser::ShowPaket(xpaket* p) {
  tTree_->clear();
  top_ = nullptr;
  if (p == nullptr) return;
  top_ = add_node(nullptr, QStringLiteral("пакет"), 0);
  p->decode();
  for (const xprotocol* layer : p->protocols) {
    QTreeWidgetItem* layer_node = add_node(top_, QString::fromStdString(layer->name()), 0);
    for (std::size_t i = 0; i < layer->line_count(); ++i) {
      add_node(layer_node, QString::fromStdString(layer->line(i)), 1);
    }
  }
  tTree_->expandAll();
}
