// TDlgVelocityLimits, "Velocity Limits": edits the peak velocities of the
// vibration-limit lines of one unit system (VelocityLines.hpp). OK stays
// grey while the text is not a list of positive numbers; the reason shows
// under the field.
#pragma once

#include <QDialog>

#include <vector>

class QDialogButtonBox;
class QLabel;
class QLineEdit;

namespace terva::gui {

class TDlgVelocityLimits : public QDialog {
  Q_OBJECT

 public:
  TDlgVelocityLimits(int system, const std::vector<double>& limits, QWidget* parent = nullptr);

  // The limits typed, sorted; valid when OK is enabled.
  const std::vector<double>& Limits() const { return limits_; }
  bool Valid() const { return valid_; }

  QLineEdit* Field() const { return field_; }
  QLabel* ErrorLabel() const { return error_; }
  QDialogButtonBox* Buttons() const { return buttons_; }

 private:
  void Check();

  int system_;
  std::vector<double> limits_;
  bool valid_ = false;
  QLineEdit* field_;
  QLabel* error_;
  QDialogButtonBox* buttons_;
};

}  // namespace terva::gui
