#include "gui/plots/VelocityLimits.hpp"

#include "gui/plots/VelocityLines.hpp"
#include "gui/widgets/MessageBoxSink.hpp"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace terva::gui {

TDlgVelocityLimits::TDlgVelocityLimits(int system, const std::vector<double>& limits, QWidget* parent)
    : QDialog(parent), system_(system), limits_(limits) {
  setWindowTitle(QStringLiteral("Velocity Limits"));
  field_ = new QLineEdit(FormatVelocityLimits(limits), this);
  field_->setObjectName(QStringLiteral("Limits"));
  field_->setMinimumWidth(260);
  auto* caption = new QLabel(QStringLiteral("&Peak velocities (%1):").arg(VelocityUnit(system)), this);
  caption->setBuddy(field_);
  auto* hint = new QLabel(
      QStringLiteral("Lines of constant peak velocity v, A = v/(2\u03c0f), over the translational amplitudes.\n"
                     "Separate the values with commas; at most %1.")
          .arg(kMaxVelocityLimits),
      this);
  hint->setWordWrap(true);
  error_ = NewErrorLabel(this);
  buttons_ = new QDialogButtonBox(
      QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::RestoreDefaults, this);
  auto* form = new QFormLayout;
  form->addRow(caption, field_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(hint);
  layout->addWidget(error_);
  layout->addWidget(buttons_);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  connect(field_, &QLineEdit::textChanged, this, &TDlgVelocityLimits::Check);
  connect(buttons_, &QDialogButtonBox::accepted, this, [this] {
    if (valid_) accept();
  });
  connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(buttons_->button(QDialogButtonBox::RestoreDefaults), &QPushButton::clicked, this,
          [this] { field_->setText(FormatVelocityLimits(DefaultVelocityLimits(system_))); });
  Check();
}

void TDlgVelocityLimits::Check() {
  QString reason;
  std::vector<double> limits;
  valid_ = ParseVelocityLimits(field_->text(), limits, &reason);
  if (valid_) limits_ = std::move(limits);
  error_->setText(valid_ ? QString() : reason);
  buttons_->button(QDialogButtonBox::Ok)->setEnabled(valid_);
}

}  // namespace terva::gui
