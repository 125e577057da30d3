#include "gui/app/RunAnalysis.hpp"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QEventLoop>
#include <QThread>
#include <QLabel>
#include <QDialogButtonBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

#include "gui/core/EngineHost.hpp"
#include "gui/core/Messages.hpp"

namespace terva::gui {

namespace {
const QString kWait = QStringLiteral("please wait ..........");
const QString kCompleted =
    QStringLiteral("Computations are completed. Please, check output file for results or error messages.");

TRunController::EngineHook& RunnerHook() {
  static TRunController::EngineHook hook;
  return hook;
}
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

// ---------------------------------------------------------------------------
// The run controller

void TRunController::SetEngineHook(EngineHook hook) { RunnerHook() = std::move(hook); }

TRunController::TRunController(QWidget* parent, QWidget* frozen)
    : QObject(parent), dialog_(new TDlgRunAnalysis(parent)), frozen_(frozen) {}

std::optional<TRunResult> TRunController::Run(const QString& projectFile) {
  TEngineRunner runner = RunnerHook() ? RunnerHook()() : TEngineRunner();
  // The library's engine runs in a host process of its own: it can be
  // cancelled, and its crash is not the program's.
  runner.SetCallsOutOfProcess(true);
  TEngineSession session(runner, projectFile);
  if (!session.Prepare()) {
    ShowMessage(TMessageKind::Information, QStringLiteral("TERVA"), session.Result().message, MbOk);
    return std::nullopt;
  }

  running_ = true;
  if (frozen_) frozen_->setEnabled(false);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  // The modal run dialog keeps every other command away while the window
  // repaints and the bar moves; its Cancel button reaches the host.
  QEventLoop loop;
  if (runner.CallsOutOfProcess()) {
    TEngineHostRun host(EngineHostPath(), runner.Library(), session.WorkFolder());
    bool ended = false;
    connect(&host, &TEngineHostRun::Finished, &loop, [&ended, &loop] {
      ended = true;
      loop.quit();
    });
    dialog_->Start([&host](int* done, int* total) { return host.Progress(done, total); },
                   [&host] { host.Cancel(); });
    host.Start();
    if (!ended) loop.exec();  // a host that could not start has ended already
    if (host.HasCode()) session.Called(host.Code());
    else if (host.Cancelled())
      session.Abandoned(TRunResult::kCancelled, QStringLiteral("The run was cancelled; the previous results are kept"));
    else session.Abandoned(TRunResult::kCrashed, host.Failure());
  } else {
    // an engine in this process (the tests' stand-ins): one call on a worker thread
    dialog_->Start([&session](int* done, int* total) { return session.Progress(done, total); });
    QThread* worker = QThread::create([&session] { session.Call(); });
    connect(worker, &QThread::finished, &loop, &QEventLoop::quit);
    worker->start();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker->wait();
    delete worker;
  }
  dialog_->Finish();
  QApplication::restoreOverrideCursor();
  if (frozen_) frozen_->setEnabled(true);
  running_ = false;
  return session.Deliver();
}

QString TRunController::OutcomeText(const TRunResult& result) {
  auto lines = [&result] {
    return result.errorLines.isEmpty() ? QString() : QStringLiteral("\n\n") + result.errorLines.join(QLatin1Char('\n'));
  };
  auto reportNote = [&result] {
    return result.report.isEmpty() ? QString()
                                   : QStringLiteral("\n\nIts report: %1").arg(QDir::toNativeSeparators(result.report));
  };
  switch (result.status) {
    case TRunResult::kDelivered:
      if (result.errorFrequencies > 0) {
        const QString of = result.frequencies > 0 ? QStringLiteral(" of %1").arg(result.frequencies) : QString();
        return QStringLiteral("Computations are completed with errors at %1%2 frequencies. The results of the other "
                              "frequencies are in the report; its error lines say where the analysis failed.")
            .arg(result.errorFrequencies)
            .arg(of);
      }
      return kCompleted;
    case TRunResult::kNoResults:
      if (result.code == 2)
        return QStringLiteral("The run stopped before the analysis (STOP keyword, or the input ends without RUN). "
                              "The previous results are kept.") + lines() + reportNote();
      if (result.code == 3)
        return QStringLiteral("The input has errors: nothing was analysed, and the previous results are kept.") +
               lines() + reportNote();
      if (result.code == 0)
        return QStringLiteral("The analysis failed at every frequency; the previous results are kept.") + lines() +
               reportNote();
      return QStringLiteral("The engine returned %1 and gave no results; the previous results are kept.")
                 .arg(result.code) + lines() + reportNote();
    case TRunResult::kCancelled:
    case TRunResult::kCrashed:
    case TRunResult::kNotRun:
    case TRunResult::kNotDelivered:
      break;
  }
  return result.message;
}

}  // namespace terva::gui
