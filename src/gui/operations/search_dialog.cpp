#include "gui/operations/search_dialog.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSettings>

#include "gui/dialogs/colors_frame.h"
#include "gui/dialogs/fields.h"
#include "gui/dialogs/message_box.h"
#include "gui/grid/packet_grid.h"

namespace {

// The parameter group grows by this much to hold the kind, the field, both groups and the colours.
constexpr int extra_height = 96;

// Command code of find next in the low byte of the command word.
constexpr uint16_t find_next_code = 1;

QRadioButton* add_radio(QWidget* parent, const char* name, const QString& text, int y) {
  auto* button = new QRadioButton(text, parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setGeometry(8, y, 250, 17);
  return button;
}

QString qtext(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// The settings values.
constexpr const char* find_text_key = "FindText";
constexpr const char* search_value_key = "SearchValue";
constexpr const char* find_all_key = "FindAll";
constexpr const char* find_up_key = "FindUp";
constexpr const char* find_down_key = "FindDown";
constexpr const char* can_find_next_key = "CanFindNext";

QString key(const char* name) {
  return QString::fromLatin1(name);
}

}  // namespace

TfSigFind::TfSigFind(QWidget* owner)
    : TPelorin_Plugin(owner, {.name = "TfSigFind",
                              .caption = "поиск",
                              .title = "SIGSearch",
                              .extra_height = extra_height}) {
  rbText = add_radio(gbParams, "rbText", QStringLiteral("поиск текстовой строки"), 16);
  rbBin = add_radio(gbParams, "rbBin", QStringLiteral("поиск двоичной последовательности"), 34);
  rbText->setChecked(true);
  // The kind buttons share gbParams with the radio buttons of both groups below, and Qt's
  // automatic exclusivity counts every radio button under the parent: a click on the checked kind
  // would then uncheck it. Their own group keeps exactly one kind checked.
  auto* kinds = new QButtonGroup(this);
  kinds->addButton(rbText);
  kinds->addButton(rbBin);
  add_label(gbParams, QStringLiteral("искать"), 8, 55, 40);
  edVal = add_field(gbParams, "edVal", QString(), 50, 55, 219);

  gbScope = new QGroupBox(QStringLiteral("область"), gbParams);
  gbScope->setObjectName(QStringLiteral("gbScope"));
  gbScope->setGeometry(4, 80, 269, 74);
  rbAll = add_radio(gbScope, "rbAll", QStringLiteral("с начала и до конца"), 16);
  rbDown = add_radio(gbScope, "rbDown", QStringLiteral("искать вниз от текущего пакета"), 34);
  rbUp = add_radio(gbScope, "rbUp", QStringLiteral("искать вверх от текущего пакета"), 52);
  rbAll->setChecked(true);

  gbAmout = new QGroupBox(QStringLiteral("ограничения"), gbParams);
  gbAmout->setObjectName(QStringLiteral("gbAmout"));
  gbAmout->setGeometry(4, 156, 269, 56);
  rbNextMatch =
      add_radio(gbAmout, "rbNextMatch", QStringLiteral("поиск до первого подходящего пакета"), 16);
  rbAllMatch = add_radio(gbAmout, "rbAllMatch", QStringLiteral("поиск по всему сигналу"), 34);
  rbNextMatch->setChecked(true);

  fColor = new Tfr_colors(gbParams);
  fColor->setObjectName(QStringLiteral("fColor"));
  fColor->caption()->setText(QStringLiteral("выделять найденные пакеты:"));
  fColor->move(3, 214);

  connect(rbNextMatch, &QRadioButton::clicked, this, [this] { rbNextMatchClick(); });
  connect(rbAllMatch, &QRadioButton::clicked, this, [this] { rbAllMatchClick(); });
  rbNextMatchClick();
}

QString TfSigFind::organisation() {
  return QStringLiteral("Quillmark");
}

QString TfSigFind::application() {
  return QStringLiteral("Pelorin");
}

QString TfSigFind::settings_group() {
  return QStringLiteral("Plugins/SigSearch");
}

void TfSigFind::rbNextMatchClick() {
  rbNextMatch->setChecked(true);
  fColor->hide();
}

void TfSigFind::rbAllMatchClick() {
  rbAllMatch->setChecked(true);
  fColor->show();
}

PLUGIN_RESULT TfSigFind::Execute(uint16_t command, PAKETS& store) {
  const PLUGIN_RESULT result = TPelorin_Plugin::Execute(command, store);
  SaveSettings();
  return result;
}

bool TfSigFind::Prepare() {
  LoadSettings();
  if ((command_ & 0xFF) != find_next_code) return true;
  if (can_find_next_) {
    if (std::optional<search_params> params = ReadParams(true)) {
      params_ = std::move(*params);
      Process();
    }
  }
  return false;
}

void TfSigFind::LoadSettings() {
  QSettings settings(organisation(), application());
  settings.beginGroup(settings_group());
  if (settings.contains(key(find_text_key))) {
    const bool text = settings.value(key(find_text_key)).toBool();
    rbText->setChecked(text);
    rbBin->setChecked(!text);
  }
  if (settings.contains(key(search_value_key))) {
    edVal->setText(settings.value(key(search_value_key)).toString());
  }
  const std::pair<const char*, QRadioButton*> directions[] = {
      {find_all_key, rbAll}, {find_up_key, rbUp}, {find_down_key, rbDown}};
  bool all_present = true;
  for (const auto& [name, button] : directions) all_present &= settings.contains(key(name));
  if (all_present) {
    for (const auto& [name, button] : directions) {
      if (settings.value(key(name)).toBool()) button->setChecked(true);
    }
  }
  if (settings.contains(key(can_find_next_key))) {
    can_find_next_ = settings.value(key(can_find_next_key)).toBool();
  }
}

void TfSigFind::SaveSettings() const {
  QSettings settings(organisation(), application());
  settings.beginGroup(settings_group());
  // Booleans as the integers 0 and 1.
  settings.setValue(key(find_text_key), int{rbText->isChecked()});
  settings.setValue(key(search_value_key), edVal->text());
  settings.setValue(key(find_all_key), int{rbAll->isChecked()});
  settings.setValue(key(find_up_key), int{rbUp->isChecked()});
  settings.setValue(key(find_down_key), int{rbDown->isChecked()});
  settings.setValue(key(can_find_next_key), int{can_find_next_});
}

std::optional<search_params> TfSigFind::ReadParams(bool find_next) {
  search_params params;
  params.kind = rbText->isChecked() ? search_kind::text : search_kind::bits;
  prepared_pattern prepared = prepare_pattern(params.kind, edVal->text().toStdString());
  if (prepared.problem != pattern_problem::none) {
    can_find_next_ = false;
    show_warning(this, qtext(pattern_problem_text(prepared.problem)));
    edVal->setFocus();
    return std::nullopt;
  }
  params.pattern = std::move(prepared.pattern);
  const int row = grid_ != nullptr ? grid_->currentRow() : 0;
  const search_direction direction = find_next             ? search_direction::down
                                     : rbUp->isChecked()   ? search_direction::up
                                     : rbDown->isChecked() ? search_direction::down
                                                           : search_direction::all;
  params.range = range_of(direction, row);
  params.all_matches = !find_next && rbAllMatch->isChecked();
  params.colour = fColor->ChosenColour();
  return params;
}

void TfSigFind::btnOkClick() {
  std::optional<search_params> params = ReadParams(false);
  if (!params) return;
  params_ = std::move(*params);
  RunPassAndClose();
}

QString TfSigFind::coloured_text(uint32_t packets) {
  return QStringLiteral(" найдено и выделено пакетов: %1").arg(packets);
}

int TfSigFind::Process() {
  uint32_t coloured = 0;
  const std::optional<search_hit> hit =
      search(*store_, params_, pass_, [&coloured](const search_hit&) { ++coloured; });
  if (params_.all_matches) {
    can_find_next_ = false;
    SetStatusText(coloured_text(coloured));
  } else if (hit) {
    ShowHit(*hit);
    can_find_next_ = true;
  } else {
    can_find_next_ = false;
    show_warning(this, qtext(not_found_text(edVal->text().toStdString())));
  }
  return 1;
}

void TfSigFind::ShowHit(const search_hit& hit) {
  const view_mode mode = params_.kind == search_kind::text ? view_mode::text : view_mode::binary;
  if (show_mode_) {
    show_mode_(mode);
  } else if (grid_ != nullptr) {
    grid_->SetViewMode(static_cast<int>(mode));
  }
  if (grid_ == nullptr) return;
  const int column = static_cast<int>(hit_column(params_.kind, hit.offset));
  const int row = static_cast<int>(hit.packet) + 1;
  grid_->setCurrentCell(column, row);
  grid_->setFirstVisibleColumn(column);
  grid_->setFirstVisibleRow(row);
}
