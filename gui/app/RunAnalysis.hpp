// The run dialog shown while the engine computes. With an engine that
// reports its progress the bar shows the fraction of the frequencies done
// and the label the frequency being computed; otherwise the bar cycles.
// Its Cancel button (and Esc) ends a run that can be cancelled.
#pragma once

#include <QDialog>

#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

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

}  // namespace terva::gui
