// "Project Title": the one line of text that describes the project.
#pragma once

#include <QPlainTextEdit>

#include "gui/widgets/ChildForm.hpp"

namespace terva::gui {

class TMainForm;

// A memo of at most kMaxLength characters and no line breaks: Return is not
// taken, and pasted text has its line breaks turned into blanks and is cut
// to the room left.
class TTitleMemo : public QPlainTextEdit {
  Q_OBJECT

 public:
  static constexpr int kMaxLength = 80;
  explicit TTitleMemo(QWidget* parent = nullptr);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void insertFromMimeData(const QMimeData* source) override;
  bool canInsertFromMimeData(const QMimeData* source) const override;

 private:
  void Enforce();
  bool enforcing_ = false;
};

class TdlgTitle : public TChildForm {
  Q_OBJECT

 public:
  explicit TdlgTitle(TMainForm& main, QWidget* parent = nullptr);

  void ActivateForm() override;
  bool DeactivateForm() override;

  TTitleMemo* TitleMemo() const { return memo_; }

 private:
  TMainForm& main_;
  TTitleMemo* memo_ = nullptr;
};

}  // namespace terva::gui
