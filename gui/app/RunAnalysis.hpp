// Running the analysis: the run controller and the run dialog it shows
// while the engine computes.
//
// The run dialog: with an engine that reports its progress the bar shows
// the fraction of the frequencies done and the label the frequency being
// computed; otherwise the bar cycles. Its Cancel button (and Esc) ends a run
// that can be cancelled.
#pragma once

#include <QDialog>

#include <functional>
#include <optional>

#include "gui/core/EngineRunner.hpp"

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;
class QWidget;

namespace terva::gui {

class TDlgRunAnalysis : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kTickMs = 100;
  static constexpr int kStep = 10;

  // The engine's progress, asked at every tick from the dialog's thread:
  // frequencies finished and in total; false when the engine cannot tell.
  using ProgressSource = std::function<bool(int* done, int* total)>;

  explicit TDlgRunAnalysis(QWidget* parent = nullptr);

  // Shows the dialog with the bar at 50 and starts the timer; Finish stops
  // the timer and hides the dialog. While running, the dialog cannot be
  // closed; with `cancel` set, Cancel and Esc call it (once) and the dialog
  // says it is stopping; without, Cancel is disabled. With a progress source that reports frequencies
  // the bar turns to the fraction done at the first tick that has them and
  // stays so until Finish; until then, and without one, it cycles.
  void Start(ProgressSource progress = {}, std::function<void()> cancel = {});
  void Finish();
  bool Running() const { return running_; }
  // The bar shows the real fraction (since the last Start).
  bool ShowsProgress() const { return determinate_; }

  QProgressBar* ProgressBar() const { return bar_; }
  QLabel* DetailLabel() const { return wait_; }
  QPushButton* CancelButton() const { return cancelButton_; }
  bool CancelRequested() const { return cancelRequested_; }

 public slots:
  void reject() override;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void Tick();
  void Cancel();

  QLabel* underway_ = nullptr;
  QLabel* wait_ = nullptr;
  QProgressBar* bar_ = nullptr;
  QTimer* timer_ = nullptr;
  QPushButton* cancelButton_ = nullptr;
  ProgressSource progress_;
  std::function<void()> cancel_;
  bool cancelRequested_ = false;
  bool running_ = false;
  bool determinate_ = false;
};

// One run of the engine on a saved project: the engine (a host process of
// its own, or the tests' engine in this process on a worker thread), the
// run dialog with its progress and Cancel, the wait cursor, and the
// delivery of the results beside the project.
class TRunController : public QObject {
  Q_OBJECT

 public:
  // Replaces the engine (tests: an engine in the process).
  using EngineHook = std::function<TEngineRunner()>;
  static void SetEngineHook(EngineHook hook);

  // `frozen` (the menu bar) is disabled while a run is under way.
  TRunController(QWidget* parent, QWidget* frozen);

  // Runs the engine on `projectFile` and delivers its results; the dialog
  // keeps every other command away meanwhile. Empty when the run could not
  // be prepared, after telling the user why.
  std::optional<TRunResult> Run(const QString& projectFile);
  bool Running() const { return running_; }
  TDlgRunAnalysis* Dialog() const { return dialog_; }

  // The message after a run: completed; completed with errors at N
  // frequencies; stopped; input errors with the report's first error lines;
  // cancelled; the engine ended abnormally; could not be run.
  static QString OutcomeText(const TRunResult& result);

 private:
  TDlgRunAnalysis* dialog_ = nullptr;
  QWidget* frozen_ = nullptr;
  bool running_ = false;
};

}  // namespace terva::gui
