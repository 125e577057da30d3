#include "gui/widgets/ChildForm.hpp"

#include <QApplication>
#include <QCloseEvent>

#include "gui/widgets/DataEdit.hpp"

namespace terva::gui {

TChildForm::TChildForm(QWidget* parent) : QWidget(parent) {}

bool TChildForm::FocusedFieldInvalid() {
  auto* field = qobject_cast<TDataEdit*>(QApplication::focusWidget());
  if (!field || !isAncestorOf(field)) return false;
  return !field->Validate();
}

void TChildForm::closeEvent(QCloseEvent* event) {
  if (FocusedFieldInvalid() || !DeactivateForm()) {
    event->ignore();
    return;
  }
  event->accept();
}

}  // namespace terva::gui
