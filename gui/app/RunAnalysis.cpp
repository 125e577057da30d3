#include "gui/app/RunAnalysis.hpp"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
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
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(underway_, 0, Qt::AlignHCenter);
  layout->addWidget(wait_, 0, Qt::AlignHCenter);
  layout->addSpacing(8);
  layout->addWidget(bar_);
  // The fixed-size layout takes the dialog's size from its contents: a wide
  // enough bar keeps the caption whole in the title bar.
  bar_->setMinimumWidth(320);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  timer_ = new QTimer(this);
  timer_->setInterval(kTickMs);
  connect(timer_, &QTimer::timeout, this, &TDlgRunAnalysis::Tick);
}

void TDlgRunAnalysis::Start(ProgressSource progress) {
  running_ = true;
  progress_ = std::move(progress);
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
  hide();
}

void TDlgRunAnalysis::Tick() {
  int done = 0, total = 0;
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
  if (!running_) QDialog::reject();
}

void TDlgRunAnalysis::closeEvent(QCloseEvent* event) {
  if (running_) event->ignore();
  else QDialog::closeEvent(event);
}

}  // namespace terva::gui
