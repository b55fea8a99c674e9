#include "gui/files/file_window.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QTimer>
#include <QToolButton>

#include <memory>

#include "core/files/capture_file.h"
#include "core/files/signal_io.h"
#include "gui/dialogs/gauge.h"
#include "gui/dialogs/glyphs.h"
#include "gui/dialogs/message_box.h"

namespace {

const QString sig_open_filter = QStringLiteral("SIG - пакеты (*.sig)");
const QString sig_save_filter = QStringLiteral("SIG-пакеты (SIG) (*.sig)");
const QString bit_save_filter = QStringLiteral("Пакеты без SIG-заголовков (BIT) (*.bit)");
const QString capture_open_filter = QStringLiteral("Захваты (*.pcap *.pcapng)");
const QString capture_save_filter = QStringLiteral("Захват pcap (*.pcap)");

// The save filters in dialog order, with the format each writes.
signal_format format_of_filter(int filter) {
  switch (filter) {
    case 1:
      return signal_format::bit;
    case 2:
      return signal_format::capture;
    default:
      return signal_format::sig;
  }
}

// The first "*.ext" of a name filter, or "sig".
QString suffix_of_filter(const QString& filter) {
  const qsizetype star = filter.indexOf(QStringLiteral("*."));
  if (star < 0) return QStringLiteral("sig");
  qsizetype end = star + 2;
  while (end < filter.size() && filter[end].isLetterOrNumber()) ++end;
  return filter.mid(star + 2, end - star - 2);
}

// The reason a capture could not be read whole, as the message names it.
QString read_fault_text(read_fault fault) {
  switch (fault) {
    case read_fault::memory:
      return QStringLiteral("не хватает памяти");
    case read_fault::unreadable:
      return QStringLiteral("файл не удалось прочитать целиком");
    case read_fault::too_many:
      return QStringLiteral("слишком много пакетов");
    case read_fault::not_a_capture:
      return QStringLiteral("файл не начинается с заголовка pcap или pcapng");
    case read_fault::version:
      return QStringLiteral("неизвестная версия формата");
    case read_fault::cut_short:
      return QStringLiteral("файл обрывается внутри записи");
    case read_fault::bad_block:
      return QStringLiteral("повреждён блок pcapng");
    case read_fault::frame_too_long:
      return QStringLiteral("кадр длиннее своего блока");
    case read_fault::no_interface:
      return QStringLiteral("пакет ссылается на неописанный интерфейс");
    case read_fault::none:
      break;
  }
  return {};
}

std::unique_ptr<QFileDialog> file_dialog(QWidget* parent, const char* name,
                                         QFileDialog::AcceptMode mode, const QStringList& filters) {
  auto dialog = std::make_unique<QFileDialog>(parent);
  dialog->setObjectName(QString::fromLatin1(name));
  dialog->setAcceptMode(mode);
  dialog->setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                      : QFileDialog::AnyFile);
  dialog->setDefaultSuffix(QStringLiteral("sig"));
  // The filters read as the program names them, without a repeated pattern.
  dialog->setOption(QFileDialog::HideNameFilterDetails);
  dialog->setNameFilters(filters);
  // A name typed without extension gets the one of the chosen filter. The dialog names the filter
  // as it shows it, without its patterns.
  QObject::connect(dialog.get(), &QFileDialog::filterSelected, dialog.get(),
                   [d = dialog.get()](const QString& filter) {
                     const int index = name_filter_index(*d, filter);
                     if (index >= 0) d->setDefaultSuffix(suffix_of_filter(d->nameFilters()[index]));
                   });
  return dialog;
}

// Shows the grid again when the unload leaves, however it leaves.
class grid_hidden {
 public:
  grid_hidden(sig_loader_host& host, bool hide) : host_(host), hide_(hide) {
    if (hide_) host_.SetGridVisible(false);
  }
  grid_hidden(const grid_hidden&) = delete;
  grid_hidden& operator=(const grid_hidden&) = delete;
  ~grid_hidden() {
    if (hide_) host_.SetGridVisible(true);
  }

 private:
  sig_loader_host& host_;
  bool hide_;
};

}  // namespace

TfSigLoader::TfSigLoader(QWidget* owner, sig_loader_host& host)
    : TPelorin_Plugin(owner), host_(host) {
  setObjectName(QStringLiteral("TfSigLoader"));
  StartOnActivation();
  setWindowTitle(QStringLiteral("файловые операции"));
  setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
  setFixedSize(258, 56);
  lblTitle->setText(QStringLiteral("Pelorin"));
  auto* bevel = new QFrame(this);
  bevel->setObjectName(QStringLiteral("Bevel1"));
  bevel->setFrameStyle(QFrame::Panel | QFrame::Raised);
  bevel->setLineWidth(2);
  bevel->setGeometry(0, 0, 258, 56);
  bevel->lower();
  imgLogo->setPixmap(program_logo(24));
  imgLogo->setGeometry(6, 4, 24, 24);
  lblTitle->setGeometry(36, 5, 214, 21);
  gbParams->hide();
  btnOk->hide();
  panProgress->setGeometry(6, 31, 220, 21);
  gProgress->setGeometry(1, 1, 218, 19);
  btnCancel->move(229, 30);

  tTimer = new QTimer(this);
  tTimer->setObjectName(QStringLiteral("tTimer"));
  tTimer->setInterval(10);
  connect(tTimer, &QTimer::timeout, this, [this] { tTimerTimer(); });
}

TfSigLoader::~TfSigLoader() {
  FormClose();
}

QString TfSigLoader::open_failed_text() {
  return QStringLiteral("Невозможно открыть указанный файл.   ");
}

QString TfSigLoader::format_error_text() {
  return QStringLiteral("Ошибка в формате SIG-файла. Чтение остановлено.   ");
}

QString TfSigLoader::capture_format_error_text(read_fault fault, uint32_t packets) {
  return QStringLiteral(
             "Ошибка в формате файла захвата после пакета %1: %2. Чтение остановлено.   ")
      .arg(packets)
      .arg(read_fault_text(fault));
}

QString TfSigLoader::mixed_link_types_text(const std::vector<uint32_t>& types) {
  return QStringLiteral(
             "Пакеты прочитаны с разными типами канала (%1), а файл pcap хранит один тип.   ")
      .arg(QString::fromStdString(link_type_names(types)));
}

QString TfSigLoader::write_failed_text() {
  return QStringLiteral("Ошибка при записи файла.   ");
}

QString TfSigLoader::packet_too_long_text(uint32_t number) {
  return QStringLiteral("Пакет номер %1 длиннее %2 байт: формат SIG не может его сохранить.   ")
      .arg(QString::number(qulonglong{number} + 1), QString::number(sig_max_packet_bytes));
}

QString TfSigLoader::packet_too_long_for_capture_text(uint32_t number) {
  return QStringLiteral("Пакет номер %1 длиннее %2 байт: формат pcap не может его сохранить.   ")
      .arg(QString::number(qulonglong{number} + 1), QString::number(capture_max_packet_bytes));
}

QString TfSigLoader::too_long_text(uint32_t number) const {
  return save_format_ == signal_format::capture ? packet_too_long_for_capture_text(number)
                                                : packet_too_long_text(number);
}

PLUGIN_RESULT TfSigLoader::Execute(uint16_t command, PAKETS& store) {
  command_ = command;
  store_ = &store;
  InitRange();
  InitProgress();
  bool ready = false;
  switch (code()) {
    case save:
      ready = PrepareSave();
      break;
    case unload:
      ready = true;
      break;
    default:
      ready = PrepareLoad();
      break;
  }
  if (ready) {
    // Every file command sets the saved flag itself, as far as it has to.
    pass_.result.sets_saved = true;
    pass_.running = true;
    shown_ = true;
    tTimer->start();
    RunModal();
    tTimer->stop();
    FormClose();
  }
  return pass_.result;
}

bool TfSigLoader::PrepareSave() {
  // File dialogs are costly to build: only the commands that ask for a file make theirs.
  // Over the main window, which is shown, rather than over this window, which is not yet.
  dlgSave = file_dialog(parentWidget(), "dlgSave", QFileDialog::AcceptSave,
                        {sig_save_filter, bit_save_filter, capture_save_filter});
  const std::optional<file_choice> choice = run_file_dialog(*dlgSave);
  if (!choice || choice->path.isEmpty()) return false;
  const save_name target = resolve_save_name(QFile::encodeName(choice->path).toStdString(),
                                             format_of_filter(choice->filter));
  save_path_ = target.path;
  save_format_ = target.format;
  // The messages stand over the main window: this window is not shown yet.
  if (const auto too_long = first_packet_too_long(*store_, save_format_)) {
    show_warning(parentWidget(), too_long_text(*too_long));
    return false;
  }
  if (save_format_ == signal_format::capture && !capture_link_type(*store_)) {
    show_warning(parentWidget(), mixed_link_types_text(store_->link_types()));
    return false;
  }
  if (!can_write_target(save_path_)) {
    show_error(parentWidget(), open_failed_text());
    return false;
  }
  return true;
}

bool TfSigLoader::PrepareLoad() {
  QString name;
  if (code() == load_argument) {
    name = host_.CommandLineFile();
  } else {
    dlgOpen = file_dialog(parentWidget(), "dlgOpen", QFileDialog::AcceptOpen,
                          {sig_open_filter, capture_open_filter});
    if (const std::optional<file_choice> choice = run_file_dialog(*dlgOpen)) name = choice->path;
  }
  if (name.isEmpty()) return false;
  load_path_ = QFile::encodeName(name).toStdString();
  if (open_signal_stream(input_, load_path_) != 0) {
    show_error(parentWidget(), open_failed_text());
    return false;
  }
  host_.SetCurrentCell(1, 1);
  // A load replaces the signal; a file named without a dialog (the command line's, or a recent
  // one) does so when there is a signal to replace.
  if (code() == load || (code() == load_argument && !store_->empty())) {
    Unload(false);
    // The grid still counts the old packets: let it show the empty store.
    host_.ShowFirstScreen();
  } else if (code() == load_argument) {
    // A store emptied by an operation still remembers the link types its packets were read with.
    store_->clear();
  }
  host_.SetSignalCaption(name);
  return true;
}

int TfSigLoader::Process() {
  SetGauge(gProgress->maximum(), 0);
  switch (code()) {
    case unload:
      btnCancel->setEnabled(false);
      Unload(true);
      break;
    case save:
      ProcessSave();
      break;
    default:
      ProcessLoad();
      break;
  }
  pass_.running = false;
  return 1;
}

void TfSigLoader::ProcessSave() {
  lblTitle->setText(QStringLiteral("Сохранение..."));
  QCoreApplication::processEvents();
  save_hooks hooks;
  hooks.keep_going = [this] { return pass_.running; };
  hooks.step = [this] {
    ++pass_.result.processed;
    StepProgress();
  };
  const save_result saved = save_signal_file(save_path_, *store_, save_format_, hooks);
  switch (saved.status) {
    case save_status::saved:
      host_.SetSaved(true);
      host_.SetSignalCaption(QFile::decodeName(QByteArray::fromStdString(save_path_)));
      break;
    case save_status::cancelled:
      break;
    case save_status::write_failed:
      show_error(parentWidget(), write_failed_text());
      break;
    case save_status::packet_too_long:
      show_warning(parentWidget(), too_long_text(saved.packet));
      break;
    case save_status::mixed_link_types:
      show_warning(parentWidget(), mixed_link_types_text(store_->link_types()));
      break;
  }
}

void TfSigLoader::ProcessLoad() {
  lblTitle->setText(QStringLiteral("Загрузка..."));
  const auto first = static_cast<uint32_t>(store_->size());
  if (input_.is_open()) input_.seek(0);
  SetGauge(static_cast<qint64>(input_.is_open() ? input_.file_size() : 0), 0);
  QCoreApplication::processEvents();
  QElapsedTimer since_events;
  since_events.start();
  sig_read_hooks hooks;
  hooks.keep_going = [this] { return pass_.running; };
  hooks.first_screen = [this] { host_.ShowFirstScreen(); };
  hooks.progress = [this, &since_events](uint64_t consumed) {
    if (since_events.elapsed() < event_interval_ms) return;
    gProgress->setValue(static_cast<qint64>(consumed));
    QCoreApplication::processEvents();
    since_events.restart();
  };
  const signal_format format = format_for_reading(load_path_, stream_image(input_));
  // A file of 0 bytes leaves the stream closed: it reads as a signal of no packets.
  const sig_read_result read = read_sig_stream(input_, format, *store_, hooks);
  pass_.result.joined = read.next;
  const bool cancelled = !pass_.running;
  if (!read.ok) {
    show_error(parentWidget(), format == signal_format::capture
                                   ? capture_format_error_text(read.fault, read.next - first)
                                   : format_error_text());
  } else {
    pass_.result.processed = static_cast<int32_t>(read.next);
  }
  // A complete load equals its file; a merge of anything, or a partial load, equals no file.
  if (code() == merge) {
    if (read.next != first) host_.SetSaved(false);
  } else {
    host_.SetSaved(read.ok && !cancelled);
  }
}

void TfSigLoader::Unload(bool with_steps) {
  InitRange();
  SetGauge(static_cast<qint64>(store_->size()), 0);
  lblTitle->setText(QStringLiteral("Выгрузка..."));
  const grid_hidden hidden(host_, code() == unload);
  unload_store(*store_, [this, with_steps](xpaket* p) {
    DeletePaket(p);
    if (with_steps) StepProgress();
  });
  InitRange();
}

void TfSigLoader::tTimerTimer() {
  if (!pass_.running && !working()) accept();
}

void TfSigLoader::Closing() {
  tTimer->stop();
  pass_.running = false;
  FormClose();
}

void TfSigLoader::FormClose() {
  if (closed_) return;
  closed_ = true;
  if (input_.is_open()) input_.close();
  if (shown_ && code() != save) pass_.result.modified = true;
}
