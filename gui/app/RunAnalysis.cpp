#include "gui/app/RunAnalysis.hpp"

#include <QCloseEvent>
#include <QLabel>
#include <QDialogButtonBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace terva::gui {

namespace {
const QString kWait = QStringLiteral("please wait ..........");
}  // namespace

TDlgRunAnalysis::TDlgRunAnalysis(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Terva, Run Analysis"));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  setModal(true);
  underway_ = new QLabel(QStringLiteral("Computations are underway"), this);
  wait_ = new QLabel(kWait, this);
  wait_->setObjectName(QStringLiteral("Detail"));
  QFont font = underway_->font();
  font.setBold(true);
  underway_->setFont(font);
  bar_ = new QProgressBar(this);
  bar_->setRange(0, 100);
  bar_->setValue(50);
  bar_->setTextVisible(false);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
  cancelButton_ = buttons->button(QDialogButtonBox::Cancel);
  cancelButton_->setObjectName(QStringLiteral("CancelRun"));
  cancelButton_->setToolTip(QStringLiteral("End the run; the previous results are kept"));
  connect(cancelButton_, &QPushButton::clicked, this, &TDlgRunAnalysis::Cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(underway_, 0, Qt::AlignHCenter);
  layout->addWidget(wait_, 0, Qt::AlignHCenter);
  layout->addSpacing(8);
  layout->addWidget(bar_);
  layout->addSpacing(4);
  layout->addWidget(buttons);
  // The fixed-size layout takes the dialog's size from its contents: a wide
  // enough bar keeps the caption whole in the title bar.
  bar_->setMinimumWidth(320);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  timer_ = new QTimer(this);
  timer_->setInterval(kTickMs);
  connect(timer_, &QTimer::timeout, this, &TDlgRunAnalysis::Tick);
}

void TDlgRunAnalysis::Start(ProgressSource progress, std::function<void()> cancel) {
  running_ = true;
  progress_ = std::move(progress);
  cancel_ = std::move(cancel);
  cancelRequested_ = false;
  cancelButton_->setEnabled(static_cast<bool>(cancel_));
  determinate_ = false;
  bar_->setRange(0, 100);
  bar_->setValue(50);
  bar_->setTextVisible(false);
  wait_->setText(kWait);
  show();
  raise();
  timer_->start();
}

void TDlgRunAnalysis::Finish() {
  timer_->stop();
  running_ = false;
  progress_ = {};
  cancel_ = {};
  hide();
}

void TDlgRunAnalysis::Cancel() {
  if (!running_ || !cancel_ || cancelRequested_) return;
  cancelRequested_ = true;
  cancelButton_->setEnabled(false);
  wait_->setText(QStringLiteral("Cancelling; the previous results are kept"));
  cancel_();
}

void TDlgRunAnalysis::Tick() {
  int done = 0, total = 0;
  if (cancelRequested_) return;
  if (progress_ && progress_(&done, &total) && total > 0) {
    // The fraction of the frequencies done; the one being computed is the
    // next (the last once all are done).
    done = std::clamp(done, 0, total);
    if (!determinate_) {
      determinate_ = true;
      bar_->setTextVisible(true);
    }
    bar_->setRange(0, total);
    bar_->setValue(done);
    wait_->setText(QStringLiteral("Frequency %1 of %2").arg(std::min(done + 1, total)).arg(total));
    return;
  }
  // Between the frequency loop's end and the engine's return the bar stays
  // where the loop left it.
  if (determinate_) return;
  const int next = bar_->value() + kStep;
  bar_->setValue(next > bar_->maximum() ? 0 : next);
}

void TDlgRunAnalysis::reject() {
  if (running_) Cancel();  // Esc
  else QDialog::reject();
}

void TDlgRunAnalysis::closeEvent(QCloseEvent* event) {
  if (running_) event->ignore();
  else QDialog::closeEvent(event);
}

}  // namespace terva::gui
