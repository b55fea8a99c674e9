#pragma once

#include <QFrame>
#include <QIcon>

class QToolBar;
class QTreeWidget;
class QTreeWidgetItem;
class xpaket;

// The protocol analyser pane `fAnalyser`: an empty tool strip `tbProto` above the decode tree
// `tTree`. The tree holds copies of the texts, so it stays valid when the packet shown is later
// changed, decoded again or destroyed.
class Tfr_analyser : public QFrame {
  Q_OBJECT

 public:
  explicit Tfr_analyser(QWidget* parent = nullptr);

  // Decodes `p` (which must be a live packet of the store) and rebuilds the tree: "пакет", under it
  // one node per layer, under each layer one node per line; every node expanded. Null clears the
  // tree.
  void ShowPaket(xpaket* p);

  // Icon 0: packet and layer nodes; icon 1: field-line nodes.
  [[nodiscard]] const QIcon& image(int index) const { return images_[index == 0 ? 0 : 1]; }

 private:
  QTreeWidgetItem* add_node(QTreeWidgetItem* parent, const QString& text, int image_index);

  QToolBar* tbProto_;
  QTreeWidget* tTree_;
  QIcon images_[2];
  QTreeWidgetItem* top_ = nullptr;  // node "пакет" of the current tree; owned by the tree
};
