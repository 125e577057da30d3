// "Project Title": the one line of text that describes the project.
#pragma once

#include <QPlainTextEdit>

class QLabel;

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

// Why a title would not reach the report as typed: the engine's record
// reader splits a line at commas, "=" and "$" (a comment), and reads a
// single letter T, H, F, Q, P, S or V standing alone as a number code. Empty
// when the title is safe.
QString TitleWarning(const QString& title);

class TdlgTitle : public TChildForm {
  Q_OBJECT

 public:
  explicit TdlgTitle(TMainForm& main, QWidget* parent = nullptr);

  void ActivateForm() override;
  bool DeactivateForm() override;

  TTitleMemo* TitleMemo() const { return memo_; }
  QLabel* WarningLabel() const { return warning_; }

 private:
  TMainForm& main_;
  TTitleMemo* memo_ = nullptr;
  QLabel* warning_ = nullptr;
};

}  // namespace terva::gui
