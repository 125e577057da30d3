// The run dialog shown while the engine computes.
#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;
class QTimer;

namespace terva::gui {

class TDlgRunAnalysis : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kTickMs = 100;
  static constexpr int kStep = 10;

  explicit TDlgRunAnalysis(QWidget* parent = nullptr);

  // Shows the dialog with the bar at 50 and starts the timer; Finish stops
  // the timer and hides the dialog. While running, the dialog cannot be
  // closed or cancelled.
  void Start();
  void Finish();
  bool Running() const { return running_; }

  QProgressBar* ProgressBar() const { return bar_; }

 public slots:
  void reject() override;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void Tick();

  QLabel* underway_ = nullptr;
  QLabel* wait_ = nullptr;
  QProgressBar* bar_ = nullptr;
  QTimer* timer_ = nullptr;
  bool running_ = false;
};

}  // namespace terva::gui
