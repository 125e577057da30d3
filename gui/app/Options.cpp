#include "gui/app/Options.hpp"

#include <QCheckBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/app/Main.hpp"
#include "gui/model/ProgramData.hpp"

namespace terva::gui {

namespace {
TDlgOptions::BrowseHook& Hook() {
  static TDlgOptions::BrowseHook hook;
  return hook;
}
}  // namespace

void TDlgOptions::SetBrowseHook(BrowseHook hook) { Hook() = std::move(hook); }

TDlgOptions::TDlgOptions(TMainForm& main, QWidget* parent) : TChildForm(parent), main_(main) {
  setWindowTitle(QStringLiteral("Control Options"));
  auto* label = new QLabel(QStringLiteral("&Text Editor:"), this);
  edtWord_ = new QLineEdit(this);
  edtWord_->setObjectName(QStringLiteral("EdtWord"));
  edtWord_->setMinimumWidth(320);
  edtWord_->setPlaceholderText(QStringLiteral("(the desktop's default application)"));
  label->setBuddy(edtWord_);
  browse_ = new QPushButton(QStringLiteral("&Browse..."), this);
  matrix_ = new QCheckBox(QStringLiteral("Generate Foundation Stiffness Matrix"), this);

  auto* editorRow = new QHBoxLayout;
  editorRow->addWidget(edtWord_, 1);
  editorRow->addWidget(browse_);
  auto* form = new QFormLayout;
  form->addRow(label, editorRow);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(matrix_);
  layout->addStretch(1);
  connect(browse_, &QPushButton::clicked, this, &TDlgOptions::BrowseClick);
}

void TDlgOptions::ActivateForm() {
  if (main_.EditorPath().isEmpty()) main_.SetEditorPath(TMainForm::DefaultEditorPath());
  edtWord_->setText(main_.EditorPath());
  matrix_->setChecked(main_.Project().Matrix == 1);
}

bool TDlgOptions::DeactivateForm() {
  // Neither value marks the project modified; the editor path reaches the
  // settings when the main window next writes them.
  main_.SetEditorPath(edtWord_->text());
  main_.Project().Matrix = matrix_->isChecked() ? 1 : 0;
  return true;
}

void TDlgOptions::BrowseClick() {
  QString chosen;
  if (Hook()) {
    chosen = Hook()(edtWord_->text());
  } else {
    QFileDialog dialog(this, QStringLiteral("Browse"), edtWord_->text());
#ifdef Q_OS_WIN
    dialog.setNameFilters({QStringLiteral("Programs (*.exe *.com)"), QStringLiteral("All Files (*.*)")});
#else
    dialog.setNameFilters({QStringLiteral("All Files (*)")});
#endif
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setFilter(QDir::AllEntries | QDir::Writable | QDir::NoDotAndDotDot | QDir::AllDirs);
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) chosen = dialog.selectedFiles().first();
  }
  if (!chosen.isEmpty()) edtWord_->setText(chosen);
}

}  // namespace terva::gui
