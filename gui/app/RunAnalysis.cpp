#include "gui/app/RunAnalysis.hpp"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <QVBoxLayout>

namespace terva::gui {

TDlgRunAnalysis::TDlgRunAnalysis(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Terva, Run Analysis"));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  setModal(true);
  underway_ = new QLabel(QStringLiteral("Computations are underway"), this);
  wait_ = new QLabel(QStringLiteral("please wait .........."), this);
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
  setMinimumWidth(360);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  timer_ = new QTimer(this);
  timer_->setInterval(kTickMs);
  connect(timer_, &QTimer::timeout, this, &TDlgRunAnalysis::Tick);
}

void TDlgRunAnalysis::Start() {
  running_ = true;
  bar_->setValue(50);
  show();
  raise();
  timer_->start();
}

void TDlgRunAnalysis::Finish() {
  timer_->stop();
  running_ = false;
  hide();
}

void TDlgRunAnalysis::Tick() {
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
