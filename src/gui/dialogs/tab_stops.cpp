#include "gui/dialogs/tab_stops.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QWidget>

#include <algorithm>

namespace {

// A control's rectangle in the window's coordinates.
QRect window_rect(const QWidget* window, const QWidget* w) {
  return {w->mapTo(window, QPoint(0, 0)), w->size()};
}

// The buttons that exclude each other with w: its exclusive button group, or the radio buttons
// beside it under the same parent. Empty for any other control.
QList<QAbstractButton*> exclusive_group(QWidget* w) {
  auto* button = qobject_cast<QAbstractButton*>(w);
  if (button == nullptr || !button->isCheckable()) return {};
  if (const QButtonGroup* group = button->group()) {
    return group->exclusive() ? group->buttons() : QList<QAbstractButton*>{};
  }
  if (!button->autoExclusive() || button->parentWidget() == nullptr) return {};
  QList<QAbstractButton*> siblings;
  for (QAbstractButton* b :
       button->parentWidget()->findChildren<QAbstractButton*>(Qt::FindDirectChildrenOnly)) {
    if (b->autoExclusive() && b->isCheckable() && b->group() == nullptr) siblings << b;
  }
  return siblings;
}

// Whether w can take the focus now. The platform takes the Tab focus from the other buttons of a
// group once one of them has it (a group is one stop): for them only the state counts.
bool can_take_focus(const QWidget* w, bool grouped) {
  return w->isVisible() && w->isEnabled() && (grouped || (w->focusPolicy() & Qt::TabFocus) != 0);
}

// Sorts the controls of `window` into reading order: rows of the controls whose middles lie within
// the height of the row's topmost control, from top to bottom; left to right within a row.
void sort_in_reading_order(const QWidget* window, std::vector<QWidget*>& controls) {
  struct placed {
    QWidget* widget;
    QRect rect;
  };
  std::vector<placed> all;
  all.reserve(controls.size());
  for (QWidget* w : controls) all.push_back({w, window_rect(window, w)});
  std::stable_sort(all.begin(), all.end(),
                   [](const placed& a, const placed& b) { return a.rect.top() < b.rect.top(); });
  for (auto row = all.begin(); row != all.end();) {
    const int bottom = row->rect.bottom();
    const auto end = std::find_if(
        row, all.end(), [bottom](const placed& c) { return c.rect.center().y() > bottom; });
    std::stable_sort(row, end, [](const placed& a, const placed& b) {
      return a.rect.left() != b.rect.left() ? a.rect.left() < b.rect.left()
                                            : a.rect.top() < b.rect.top();
    });
    row = end;
  }
  for (size_t i = 0; i < all.size(); ++i) controls[i] = all[i].widget;
}

}  // namespace

std::vector<QWidget*> tab_stops(const QWidget& window) {
  std::vector<QWidget*> controls;
  for (QWidget* w : window.findChildren<QWidget*>()) {
    // A spin box's or combo box's own line edit takes the focus through its owner.
    if (w->focusProxy() != nullptr || w->isWindow()) continue;
    if ((w->focusPolicy() & Qt::TabFocus) != 0 || exclusive_group(w).size() > 1) {
      controls.push_back(w);
    }
  }
  sort_in_reading_order(&window, controls);
  std::vector<QWidget*> stops;
  std::vector<QList<QAbstractButton*>> groups_seen;
  for (QWidget* w : controls) {
    const QList<QAbstractButton*> group = exclusive_group(w);
    if (group.size() <= 1) {
      if (can_take_focus(w, false)) stops.push_back(w);
      continue;
    }
    if (std::find(groups_seen.begin(), groups_seen.end(), group) != groups_seen.end()) continue;
    // The group's stop: its checked button, or else its first one that can take the focus.
    QWidget* stop = nullptr;
    for (QAbstractButton* b : group) {
      if (b->isChecked() && can_take_focus(b, true)) stop = b;
    }
    if (stop == nullptr && can_take_focus(w, true)) stop = w;
    if (stop == nullptr) continue;
    groups_seen.push_back(group);
    stops.push_back(stop);
  }
  return stops;
}

QWidget* next_tab_stop(const QWidget& window, QWidget* focused, bool next) {
  const std::vector<QWidget*> stops = tab_stops(window);
  if (stops.empty()) return nullptr;
  const QList<QAbstractButton*> focused_group =
      focused != nullptr ? exclusive_group(focused) : QList<QAbstractButton*>{};
  const auto n = static_cast<std::ptrdiff_t>(stops.size());
  std::ptrdiff_t at = -1;
  for (std::ptrdiff_t i = 0; i < n && focused != nullptr; ++i) {
    QWidget* stop = stops[static_cast<size_t>(i)];
    if (stop == focused || stop->isAncestorOf(focused) ||
        (focused_group.size() > 1 && focused_group.contains(stop))) {
      at = i;
      break;
    }
  }
  const std::ptrdiff_t to = at < 0 ? (next ? 0 : n - 1) : (at + (next ? 1 : n - 1)) % n;
  return stops[static_cast<size_t>(to)];
}
