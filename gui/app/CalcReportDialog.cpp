#include "gui/app/CalcReportDialog.hpp"

#include "gui/core/units.hpp"
#include "gui/model/DesignChecks.hpp"
#include "gui/model/ProgramData.hpp"
#include "gui/plots/VelocityLines.hpp"
#include "gui/widgets/MessageBoxSink.hpp"
#include "gui/widgets/UnitField.hpp"
#include "gui/widgets/VectorExport.hpp"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTableWidget>
#include <QVBoxLayout>

#include <cmath>

namespace terva::gui {

namespace {

const QString kPaperKey = QStringLiteral("DesignChecks/Paper");
const QString kFormatKey = QStringLiteral("DesignChecks/Format");

QString Number(double value) { return QString::number(value, 'g', 10); }

// A number as typed: "." or "," before the decimals, whatever the locale;
// empty is `empty`.
bool ReadNumber(const QString& text, double empty, double& value) {
  QString t = text.trimmed();
  if (t.isEmpty()) {
    value = empty;
    return true;
  }
  t.replace(u',', u'.');
  bool ok = false;
  value = t.toDouble(&ok);
  return ok && std::isfinite(value) && value >= 0.0;
}


}  // namespace

TDlgCalcReport::TDlgCalcReport(int system, const QString& range, QWidget* parent)
    : QDialog(parent), system_(system) {
  setWindowTitle(QStringLiteral("Calculation Report"));
  const TStoredCriteria stored = StoredDesignCriteria(system);
  const TDesignCriteria defaults = DefaultReportCriteria(system);
  const QString length = FieldUnitLabel(QString::fromLatin1(field_units::kLength), system);

  frequency_ = new QLineEdit(stored.operatingFrequency, this);
  frequency_->setObjectName(QStringLiteral("OperatingFrequency"));
  frequency_->setPlaceholderText(QStringLiteral("e.g. 1500 rpm; 50 Hz"));
  separation_ = new QLineEdit(Number(stored.criteria.separation * 100.0), this);
  separation_->setObjectName(QStringLiteral("Separation"));
  amplitude_ = new QLineEdit(defaults.amplitudeLimit > 0 ? Number(defaults.amplitudeLimit) : QString(), this);
  amplitude_->setObjectName(QStringLiteral("AmplitudeLimit"));
  amplitude_->setPlaceholderText(QStringLiteral("not checked"));
  velocity_ = new QLineEdit(
      defaults.velocityLimit > 0 ? Number(defaults.velocityLimit / VelocityLengthFactor(system)) : QString(), this);
  velocity_->setObjectName(QStringLiteral("VelocityLimit"));
  velocity_->setPlaceholderText(QStringLiteral("not checked"));

  auto* criteria = new QGroupBox(QStringLiteral("Design criteria"), this);
  auto* form = new QFormLayout(criteria);
  form->addRow(QStringLiteral("Operating &frequency:"), frequency_);
  auto* hint = new QLabel(QStringLiteral("One or more, separated by \";\", in rpm, Hz or rad/s. ") + range, criteria);
  hint->setWordWrap(true);
  hint->setObjectName(QStringLiteral("Range"));
  QFont small = hint->font();
  small.setPointSizeF(small.pointSizeF() * 0.9);
  hint->setFont(small);
  form->addRow(QString(), hint);
  form->addRow(QStringLiteral("Least &separation of a peak:"),
               WithUnit(separation_, QStringLiteral("± %"), criteria, 48));
  form->addRow(QStringLiteral("&Amplitude limit:"), WithUnit(amplitude_, length, criteria, 48));
  form->addRow(QStringLiteral("&Velocity limit:"), WithUnit(velocity_, VelocityUnit(system), criteria, 48));
  // the labels' shortcuts reach their fields
  for (int row = 0; row < form->rowCount(); ++row) {
    auto* label = qobject_cast<QLabel*>(form->itemAt(row, QFormLayout::LabelRole)
                                            ? form->itemAt(row, QFormLayout::LabelRole)->widget()
                                            : nullptr);
    QLayoutItem* field = form->itemAt(row, QFormLayout::FieldRole);
    if (label == nullptr || field == nullptr || field->widget() == nullptr) continue;
    QWidget* target = field->widget();
    if (auto* edit = target->findChild<QLineEdit*>()) target = edit;
    label->setBuddy(target);
  }

  auto* pointsBox = new QGroupBox(QStringLiteral("Points checked besides the centre of gravity"), this);
  points_ = new QTableWidget(0, 4, pointsBox);
  points_->setObjectName(QStringLiteral("Points"));
  points_->setHorizontalHeaderLabels({QStringLiteral("Name"), QStringLiteral("x (%1)").arg(length),
                                      QStringLiteral("y (%1)").arg(length), QStringLiteral("z (%1)").arg(length)});
  points_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
  points_->verticalHeader()->setVisible(false);
  for (const TCheckPoint& p : stored.criteria.points) {
    const int row = points_->rowCount();
    points_->insertRow(row);
    points_->setItem(row, 0, new QTableWidgetItem(p.name));
    points_->setItem(row, 1, new QTableWidgetItem(Number(p.x)));
    points_->setItem(row, 2, new QTableWidgetItem(Number(p.y)));
    points_->setItem(row, 3, new QTableWidgetItem(Number(p.z)));
  }
  addPoint_ = new QPushButton(QStringLiteral("A&dd Point"), pointsBox);
  removePoint_ = new QPushButton(QStringLiteral("&Remove Point"), pointsBox);
  connect(addPoint_, &QPushButton::clicked, this, [this] {
    const int row = points_->rowCount();
    points_->insertRow(row);
    points_->setItem(row, 0, new QTableWidgetItem(QStringLiteral("Point %1").arg(row + 1)));
    for (int c = 1; c < 4; ++c) points_->setItem(row, c, new QTableWidgetItem(QStringLiteral("0")));
    points_->setCurrentCell(row, 0);
    points_->editItem(points_->item(row, 0));
  });
  connect(removePoint_, &QPushButton::clicked, this, [this] {
    if (points_->currentRow() >= 0) points_->removeRow(points_->currentRow());
  });
  auto* pointsLayout = new QVBoxLayout(pointsBox);
  pointsLayout->addWidget(new QLabel(QStringLiteral("By their offset from the centre of gravity, as the amplitude "
                                                    "plot's reference point."),
                                     pointsBox));
  pointsLayout->addWidget(points_);
  auto* pointButtons = new QHBoxLayout;
  pointButtons->addWidget(addPoint_);
  pointButtons->addWidget(removePoint_);
  pointButtons->addStretch();
  pointsLayout->addLayout(pointButtons);

  auto* fileBox = new QGroupBox(QStringLiteral("Report"), this);
  pdf_ = new QRadioButton(QStringLiteral("&PDF, to print and submit"), fileBox);
  html_ = new QRadioButton(QStringLiteral("&HTML, one file for the web"), fileBox);
  pdf_->setObjectName(QStringLiteral("Pdf"));
  html_->setObjectName(QStringLiteral("Html"));
  paper_ = new QComboBox(fileBox);
  paper_->setObjectName(QStringLiteral("Paper"));
  paper_->addItem(QStringLiteral("A4"), static_cast<int>(QPageSize::A4));
  paper_->addItem(QStringLiteral("Letter"), static_cast<int>(QPageSize::Letter));
  const QSettings settings(QStringLiteral("Halvit"), QStringLiteral("TERVA"));
  const int defaultPaper = static_cast<int>(TPdfPage::DefaultPageSize().id());
  paper_->setCurrentIndex(std::max(0, paper_->findData(settings.value(kPaperKey, defaultPaper).toInt())));
  (settings.value(kFormatKey).toString() == QLatin1String("html") ? html_ : pdf_)->setChecked(true);
  connect(html_, &QRadioButton::toggled, paper_, [this](bool on) { paper_->setEnabled(!on); });
  paper_->setEnabled(pdf_->isChecked());
  auto* fileForm = new QFormLayout(fileBox);
  fileForm->addRow(pdf_);
  auto* paperLabel = new QLabel(QStringLiteral("Pap&er:"), fileBox);
  paperLabel->setBuddy(paper_);
  fileForm->addRow(paperLabel, paper_);
  fileForm->addRow(html_);

  error_ = NewErrorLabel(this);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
  buttons->addButton(QStringLiteral("&Write Report..."), QDialogButtonBox::AcceptRole)->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(criteria);
  layout->addWidget(pointsBox, 1);
  layout->addWidget(fileBox);
  layout->addWidget(error_);
  layout->addWidget(buttons);
  resize(560, 600);
}

bool TDlgCalcReport::Request(TCalcReportRequest& request) {
  const auto refuse = [this](const QString& why, QWidget* field) {
    error_->setText(why);
    if (field) field->setFocus();
    return false;
  };
  request = TCalcReportRequest();
  QString why;
  if (!frequency_->text().trimmed().isEmpty() && !ParseOperatingFrequencies(frequency_->text(), request.operating, &why))
    return refuse(QStringLiteral("Operating frequency: %1.").arg(why), frequency_);
  double separation = 0, amplitude = 0, velocity = 0;
  if (!ReadNumber(separation_->text(), 20.0, separation) || separation >= 100.0)
    return refuse(QStringLiteral("Least separation: a percentage from 0 to below 100."), separation_);
  if (!ReadNumber(amplitude_->text(), 0.0, amplitude))
    return refuse(QStringLiteral("Amplitude limit: a number of 0 or more (empty: not checked)."), amplitude_);
  if (!ReadNumber(velocity_->text(), 0.0, velocity))
    return refuse(QStringLiteral("Velocity limit: a number of 0 or more (empty: not checked)."), velocity_);
  request.criteria.separation = separation / 100.0;
  request.criteria.amplitudeLimit = amplitude;
  request.criteria.velocityLimit = velocity * VelocityLengthFactor(system_);
  for (int row = 0; row < points_->rowCount(); ++row) {
    TCheckPoint point;
    const auto text = [this, row](int column) {
      return points_->item(row, column) ? points_->item(row, column)->text() : QString();
    };
    point.name = text(0).trimmed().isEmpty() ? QStringLiteral("Point %1").arg(row + 1) : text(0).trimmed();
    double* const values[] = {&point.x, &point.y, &point.z};
    for (int c = 0; c < 3; ++c) {
      QString t = text(c + 1).trimmed();
      t.replace(u',', u'.');
      bool ok = t.isEmpty();
      *values[c] = ok ? 0.0 : t.toDouble(&ok);
      if (!ok || !std::isfinite(*values[c]))
        return refuse(QStringLiteral("%1, row %2 of the points: \"%3\" is no number.")
                          .arg(points_->horizontalHeaderItem(c + 1)->text())
                          .arg(row + 1)
                          .arg(text(c + 1)),
                      points_);
    }
    request.criteria.points.push_back(point);
  }
  request.format = html_->isChecked() ? TReportFormat::Html : TReportFormat::Pdf;
  request.paper = QPageSize(static_cast<QPageSize::PageSizeId>(paper_->currentData().toInt()));
  error_->clear();
  return true;
}

void TDlgCalcReport::Store() const {
  TCalcReportRequest request;
  if (!const_cast<TDlgCalcReport*>(this)->Request(request)) return;
  TStoredCriteria stored;
  stored.operatingFrequency = frequency_->text().trimmed();
  stored.criteria = request.criteria;
  StoreDesignCriteria(system_, stored);
  QSettings settings(QStringLiteral("Halvit"), QStringLiteral("TERVA"));
  settings.setValue(kPaperKey, paper_->currentData().toInt());
  settings.setValue(kFormatKey, html_->isChecked() ? QStringLiteral("html") : QStringLiteral("pdf"));
}

void TDlgCalcReport::accept() {
  TCalcReportRequest request;
  if (Request(request)) QDialog::accept();
}

}  // namespace terva::gui
