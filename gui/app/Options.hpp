// "Control Options": the text editor the Computation menu uses and the
// project's stiffness-matrix option.
#pragma once

#include "gui/widgets/ChildForm.hpp"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace terva::gui {

class TMainForm;

class TDlgOptions : public TChildForm {
  Q_OBJECT

 public:
  explicit TDlgOptions(TMainForm& main, QWidget* parent = nullptr);

  void ActivateForm() override;
  bool DeactivateForm() override;

  QLineEdit* EdtWord() const { return edtWord_; }
  QPushButton* BrowseButton() const { return browse_; }
  QCheckBox* MatrixBox() const { return matrix_; }

  // Replaces the Browse dialog (tests): returns the chosen file, or an empty
  // string when cancelled.
  using BrowseHook = std::function<QString(const QString& start)>;
  static void SetBrowseHook(BrowseHook hook);

 private:
  void BrowseClick();

  TMainForm& main_;
  QLineEdit* edtWord_ = nullptr;
  QPushButton* browse_ = nullptr;
  QCheckBox* matrix_ = nullptr;
};

}  // namespace terva::gui
