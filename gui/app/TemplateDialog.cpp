#include "gui/app/TemplateDialog.hpp"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "gui/core/Expression.hpp"
#include "gui/widgets/MessageBoxSink.hpp"
#include "gui/widgets/UnitField.hpp"

namespace terva::gui {

TDlgPileGroupTemplate::TDlgPileGroupTemplate(int capacity, QWidget* parent) : QDialog(parent), capacity_(capacity) {
  setWindowTitle(QStringLiteral("New Pile Group"));
  const TPileGroupTemplate defaults;
  rows_ = new QSpinBox(this);
  columns_ = new QSpinBox(this);
  rows_->setObjectName(QStringLiteral("Rows"));
  columns_->setObjectName(QStringLiteral("Columns"));
  for (QSpinBox* box : {rows_, columns_}) box->setRange(1, capacity);
  rows_->setValue(defaults.rows);
  columns_->setValue(defaults.columns);
  spacing_ = new QLineEdit(QString::number(defaults.spacing), this);
  diameter_ = new QLineEdit(QString::number(defaults.diameter), this);
  length_ = new QLineEdit(QString::number(defaults.length), this);
  spacing_->setObjectName(QStringLiteral("Spacing"));
  diameter_->setObjectName(QStringLiteral("Diameter"));
  length_->setObjectName(QStringLiteral("Length"));

  auto* form = new QFormLayout;
  form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
  const auto add = [&](const QString& text, QWidget* field, QWidget* shown) {
    auto* label = new QLabel(text, this);
    label->setBuddy(field);
    form->addRow(label, shown);
  };
  add(QStringLiteral("&Rows (along Y):"), rows_, rows_);
  add(QStringLiteral("&Columns (along X):"), columns_, columns_);
  add(QStringLiteral("&Spacing, both ways:"), spacing_, WithUnit(spacing_, QStringLiteral("m"), this));
  add(QStringLiteral("Pile &diameter:"), diameter_, WithUnit(diameter_, QStringLiteral("m"), this));
  add(QStringLiteral("Pile &length:"), length_, WithUnit(length_, QStringLiteral("m"), this));
  summary_ = new QLabel(this);
  summary_->setObjectName(QStringLiteral("Summary"));
  summary_->setWordWrap(true);
  error_ = NewErrorLabel(this);

  auto* note = new QLabel(QStringLiteral("Solid circular concrete piles under a concrete cap, in soil with a shear "
                                         "wave velocity of 200 m/s; every value can be changed afterwards."),
                          this);
  note->setWordWrap(true);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
  buttons->addButton(QStringLiteral("&Create"), QDialogButtonBox::AcceptRole)->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(summary_);
  layout->addWidget(note);
  layout->addWidget(error_);
  layout->addWidget(buttons);
  for (QLineEdit* field : {spacing_, diameter_, length_})
    connect(field, &QLineEdit::textChanged, this, &TDlgPileGroupTemplate::Update);
  for (QSpinBox* box : {rows_, columns_}) connect(box, &QSpinBox::valueChanged, this, &TDlgPileGroupTemplate::Update);
  Update();
  resize(400, sizeHint().height());
}

bool TDlgPileGroupTemplate::Layout(TPileGroupTemplate& group, QString* error) const {
  const auto fail = [error](const QString& text) {
    if (error) *error = text;
    return false;
  };
  group.rows = rows_->value();
  group.columns = columns_->value();
  if (group.rows * group.columns > capacity_)
    return fail(QStringLiteral("A group holds at most %1 piles.").arg(capacity_));
  const struct {
    QLineEdit* field;
    double* value;
    const char* name;
  } lengths[] = {{spacing_, &group.spacing, "spacing"},
                 {diameter_, &group.diameter, "diameter"},
                 {length_, &group.length, "length"}};
  for (const auto& entry : lengths) {
    const Evaluation value = EvaluateExpression(entry.field->text());
    if (!value.ok)
      return fail(QStringLiteral("The %1: %2").arg(QLatin1String(entry.name), value.message.simplified()));
    if (!(value.value > 0)) return fail(QStringLiteral("The %1 must be greater than 0.").arg(QLatin1String(entry.name)));
    *entry.value = static_cast<double>(value.value);
  }
  if (group.rows * group.columns > 1 && group.spacing <= group.diameter)
    return fail(QStringLiteral("The spacing must be greater than the diameter: the piles would touch."));
  return true;
}

void TDlgPileGroupTemplate::Update() {
  TPileGroupTemplate group;
  QString error;
  const bool ok = Layout(group, &error);
  error_->setText(error);
  error_->setVisible(!ok);
  summary_->setText(ok ? QStringLiteral("%1 piles; the piles' centres span %2 m along X and %3 m along Y.")
                             .arg(group.rows * group.columns)
                             .arg(QString::number((group.columns - 1) * group.spacing, 'g', 6),
                                  QString::number((group.rows - 1) * group.spacing, 'g', 6))
                       : QString());
}

void TDlgPileGroupTemplate::accept() {
  TPileGroupTemplate group;
  if (!Layout(group)) return;
  QDialog::accept();
}

}  // namespace terva::gui
