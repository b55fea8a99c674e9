#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QToolBar>
#include <QTreeWidget>

#include <memory>
#include <string>
#include <vector>

#include "core/model/paket.h"
#include "core/protocols/decode_support.h"
#include "core/protocols/traffic_frames.h"
#include "gui/protocols/analyser_pane.h"

namespace {

std::unique_ptr<xpaket> packet_of(const bytes& b) {
  return std::make_unique<xpaket>(b.data(), static_cast<uint32_t>(b.size()));
}

QTreeWidget* tree_of(Tfr_analyser& pane) {
  return pane.findChild<QTreeWidget*>("tTree");
}

// The tree in the text form of pelorin-cli, from what the widget shows; also checks that every
// node is expanded and carries the icon of its kind.
std::string shown_tree(Tfr_analyser& pane) {
  QTreeWidget* tree = tree_of(pane);
  std::string text;
  const qint64 layer_icon = pane.image(0).cacheKey();
  const qint64 line_icon = pane.image(1).cacheKey();
  for (int t = 0; t < tree->topLevelItemCount(); ++t) {
    const QTreeWidgetItem* top = tree->topLevelItem(t);
    text += top->text(0).toStdString() + '\n';
    EXPECT_EQ(top->icon(0).cacheKey(), layer_icon);
    EXPECT_TRUE(top->isExpanded());
    for (int l = 0; l < top->childCount(); ++l) {
      const QTreeWidgetItem* layer = top->child(l);
      text += "  " + layer->text(0).toStdString() + '\n';
      EXPECT_EQ(layer->icon(0).cacheKey(), layer_icon);
      EXPECT_TRUE(layer->childCount() == 0 || layer->isExpanded());
      for (int i = 0; i < layer->childCount(); ++i) {
        text += "    " + layer->child(i)->text(0).toStdString() + '\n';
        EXPECT_EQ(layer->child(i)->icon(0).cacheKey(), line_icon);
        EXPECT_EQ(layer->child(i)->childCount(), 0);
      }
    }
  }
  return text;
}

}  // namespace

TEST(AnalyserPane, ControlsAndSettings) {
  Tfr_analyser pane;
  EXPECT_EQ(pane.objectName(), "fAnalyser");
  auto* strip = pane.findChild<QToolBar*>("tbProto");
  ASSERT_NE(strip, nullptr);
  EXPECT_TRUE(strip->actions().isEmpty());
  EXPECT_EQ(strip->height(), 29);
  QTreeWidget* tree = tree_of(pane);
  ASSERT_NE(tree, nullptr);
  EXPECT_EQ(tree->editTriggers(), QAbstractItemView::NoEditTriggers);
  EXPECT_EQ(tree->indentation(), 19);
  EXPECT_EQ(tree->viewport()->cursor().shape(), Qt::PointingHandCursor);
  EXPECT_TRUE(tree->hasMouseTracking());
  EXPECT_EQ(tree->topLevelItemCount(), 0);
  EXPECT_EQ(tree->palette().color(QPalette::Inactive, QPalette::Highlight),
            tree->palette().color(QPalette::Active, QPalette::Highlight));
  EXPECT_EQ(pane.image(0).availableSizes().value(0), QSize(16, 16));
  EXPECT_NE(pane.image(0).cacheKey(), pane.image(1).cacheKey());
  EXPECT_EQ(pane.image(1).pixmap(QSize(16, 16), QIcon::Selected).toImage(),
            pane.image(0).pixmap(QSize(16, 16)).toImage())
      << "a selected node shows icon 0";
}

TEST(AnalyserPane, ShowsEveryCapturedFrame) {
  Tfr_analyser pane;
  for (const traffic_frame& frame : traffic_frames) {
    const auto p = packet_of(from_hex(frame.hex));
    pane.ShowPaket(p.get());
    EXPECT_EQ(shown_tree(pane), frame.tree) << frame.name;
  }
}

TEST(AnalyserPane, NewPacketReplacesTheTreeWhichOutlivesItsPacket) {
  Tfr_analyser pane;
  auto first = packet_of(from_hex(traffic_frames[0].hex));
  pane.ShowPaket(first.get());
  auto second = packet_of({0x45, 0x00});
  pane.ShowPaket(second.get());
  EXPECT_EQ(shown_tree(pane), "пакет\n  root\n  неизвестный протокол\n");
  second.reset();  // the tree keeps its own texts
  EXPECT_EQ(shown_tree(pane), "пакет\n  root\n  неизвестный протокол\n");

  pane.ShowPaket(first.get());
  first->set_byte(4, 0x65);
  first->decode();
  EXPECT_EQ(tree_of(pane)->topLevelItem(0)->child(2)->child(0)->text(0).toStdString(),
            "версия: IP, internet protocol")
      << "a later decode of the packet does not change the tree";

  pane.ShowPaket(nullptr);
  EXPECT_EQ(tree_of(pane)->topLevelItemCount(), 0);
}

TEST(AnalyserPane, HiddenPaneStillRebuilds) {
  Tfr_analyser pane;
  pane.hide();
  const auto p = packet_of(from_hex(traffic_frames[8].hex));
  pane.ShowPaket(p.get());
  pane.show();
  EXPECT_EQ(shown_tree(pane), traffic_frames[8].tree);
}
