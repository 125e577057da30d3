#include "gui/app/ResultsDialogs.hpp"

#include "gui/widgets/MessageBoxSink.hpp"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSettings>
#include <QVBoxLayout>

#include <algorithm>

namespace terva::gui {

namespace {

// The unit list, in the order of TFrequencyUnit's use here: the machine's
// speed first.
const TFrequencyUnit kUnits[] = {TFrequencyUnit::Rpm, TFrequencyUnit::Hz, TFrequencyUnit::RadPerSecond};
const char* const kUnitNames[] = {"rpm", "Hz", "rad/s"};

const QString kUnitKey = QStringLiteral("SpringsDashpots/Unit");

QString Number(double value) { return QString::number(value, 'g', 5); }

}  // namespace

TDlgSpringsDashpots::TDlgSpringsDashpots(TResultsData data, TResultsInfo info, QWidget* parent)
    : QDialog(parent), data_(std::move(data)), info_(std::move(info)) {
  setWindowTitle(QStringLiteral("Springs and Dashpots at a Frequency"));

  frequency_ = new QLineEdit(this);
  frequency_->setObjectName(QStringLiteral("Frequency"));
  frequency_->setPlaceholderText(QStringLiteral("e.g. 1500"));
  unit_ = new QComboBox(this);
  unit_->setObjectName(QStringLiteral("Unit"));
  for (const char* name : kUnitNames) unit_->addItem(QString::fromLatin1(name));
  const QString remembered = QSettings(QStringLiteral("Halvit"), QStringLiteral("TERVA")).value(kUnitKey).toString();
  unit_->setCurrentIndex(std::max(0, unit_->findText(remembered)));
  auto* caption = new QLabel(QStringLiteral("Operating &frequency:"), this);
  caption->setBuddy(frequency_);

  range_ = new QLabel(this);
  range_->setObjectName(QStringLiteral("Range"));
  if (data_.HasImpedance()) {
    const auto [low, high] = std::minmax_element(data_.omega.begin(), data_.omega.end());
    auto span = [&](TFrequencyUnit unit, const char* name) {
      return QStringLiteral("%1 to %2 %3")
          .arg(Number(FromRadPerSecond(*low, unit)), Number(FromRadPerSecond(*high, unit)), QLatin1String(name));
    };
    range_->setText(QStringLiteral("Computed from %1 (%2, %3), %4 frequencies")
                        .arg(span(TFrequencyUnit::RadPerSecond, "rad/s"), span(TFrequencyUnit::Hz, "Hz"),
                             span(TFrequencyUnit::Rpm, "rpm"))
                        .arg(data_.omega.size()));
  }
  error_ = NewErrorLabel(this);

  table_ = new QPlainTextEdit(this);
  table_->setObjectName(QStringLiteral("Table"));
  table_->setReadOnly(true);
  table_->setLineWrapMode(QPlainTextEdit::NoWrap);
  const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  table_->setFont(fixed);
  const QFontMetrics metrics(fixed);
  table_->setMinimumSize(metrics.horizontalAdvance(QLatin1Char('0')) * 84 + 24, metrics.lineSpacing() * 15 + 16);

  copy_ = new QPushButton(QStringLiteral("&Copy"), this);
  copy_->setObjectName(QStringLiteral("Copy"));
  copy_->setToolTip(QStringLiteral("Copy the table as text"));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  buttons->addButton(copy_, QDialogButtonBox::ActionRole);
  for (QPushButton* b : buttons->findChildren<QPushButton*>()) b->setAutoDefault(false);

  auto* row = new QHBoxLayout;
  row->addWidget(caption);
  row->addWidget(frequency_, 1);
  row->addWidget(unit_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(row);
  layout->addWidget(range_);
  layout->addWidget(error_);
  layout->addWidget(table_, 1);
  layout->addWidget(buttons);

  connect(frequency_, &QLineEdit::textChanged, this, &TDlgSpringsDashpots::Update);
  connect(unit_, &QComboBox::currentIndexChanged, this, [this] {
    QSettings(QStringLiteral("Halvit"), QStringLiteral("TERVA")).setValue(kUnitKey, unit_->currentText());
    Update();
  });
  connect(copy_, &QPushButton::clicked, this, &TDlgSpringsDashpots::Copy);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  Update();
}

void TDlgSpringsDashpots::Update() {
  values_ = TSpringsDashpots{};
  QString text = frequency_->text().trimmed();
  // A bare number takes the unit of the list; a number with its own unit
  // keeps it.
  static const QRegularExpression bare(QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?$"));
  if (bare.match(text).hasMatch()) text += QLatin1Char(' ') + QLatin1String(kUnitNames[unit_->currentIndex()]);
  QString error;
  if (!data_.HasImpedance()) {
    error = SpringsDashpotsAt(data_, 0).error;
  } else if (!text.isEmpty()) {
    const TOperatingFrequency frequency = ParseOperatingFrequency(text);
    if (frequency.ok) values_ = SpringsDashpotsAt(data_, frequency.omega);
    error = frequency.ok ? values_.error : frequency.error;
  }
  if (!error.isEmpty()) error[0] = error[0].toUpper();
  error_->setText(error);
  error_->setVisible(!error.isEmpty());
  table_->setPlainText(values_.ok ? SpringsDashpotsTable(values_, info_) : QString());
  copy_->setEnabled(values_.ok);
}

void TDlgSpringsDashpots::Copy() const {
  if (values_.ok) QApplication::clipboard()->setText(table_->toPlainText());
}

// ---------------------------------------------------------------------------

TDlgExportResults::TDlgExportResults(const QString& project, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Export Results"));
  auto names = [&project](TExportFormat format) {
    QStringList files;
    for (const QString& file : ExportFileNames(project, format)) files << QFileInfo(file).fileName();
    return files.join(QStringLiteral(", "));
  };
  auto* box = new QGroupBox(QStringLiteral("Format"), this);
  csv_ = new QRadioButton(QStringLiteral("&CSV, one file per table: %1").arg(names(TExportFormat::Csv)), box);
  json_ = new QRadioButton(QStringLiteral("&JSON, one file: %1").arg(names(TExportFormat::Json)), box);
  csv_->setObjectName(QStringLiteral("Csv"));
  json_->setObjectName(QStringLiteral("Json"));
  csv_->setChecked(true);
  auto* boxLayout = new QVBoxLayout(box);
  boxLayout->addWidget(csv_);
  boxLayout->addWidget(json_);
  auto* where = new QLabel(
      QStringLiteral("The files are written beside the project, in %1, and replace earlier ones of the same name.")
          .arg(QDir::toNativeSeparators(QFileInfo(project).absolutePath())),
      this);
  where->setWordWrap(true);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(box);
  layout->addWidget(where);
  layout->addWidget(buttons);
  setMinimumWidth(460);
}

TExportFormat TDlgExportResults::Format() const { return json_->isChecked() ? TExportFormat::Json : TExportFormat::Csv; }

void TDlgExportResults::SetFormat(TExportFormat format) {
  (format == TExportFormat::Json ? json_ : csv_)->setChecked(true);
}

}  // namespace terva::gui
