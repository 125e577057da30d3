#include "gui/widgets/TableWindows.hpp"

#include "gui/widgets/InputHelperDialogs.hpp"
#include "gui/widgets/TableForm.hpp"

#include <QLayout>

namespace terva::gui {

void TFormWindows::SetEmbedding(const TGridTable& table, QWidget* parent) {
  if (parent != nullptr)
    parents_[&table] = TEmbedding{&table, parent};
  else
    parents_.erase(&table);
}

QWidget* TFormWindows::ParentOf(const TGridTable& table) const {
  const auto found = parents_.find(&table);
  // A table made where a gone one was does not take over its place.
  if (found == parents_.end() || found->second.table != &table) return nullptr;
  return found->second.parent;
}

TTableForm* TFormWindows::Form(const TGridTable& table) const {
  const auto found = forms_.find(&table);
  return found != forms_.end() ? found->second.data() : nullptr;
}

void TFormWindows::Open(TGridTable& table) {
  TTableForm* form = Form(table);
  if (form == nullptr) {
    QWidget* parent = ParentOf(table);
    form = new TTableForm(&table, parent);
    AddInputHelpers(*form);
    if (parent != nullptr) {
      if (parent->layout() != nullptr) parent->layout()->addWidget(form);
    } else if (host_) {
      host_(form);
    }
    forms_[&table] = form;
  }
  form->BringForward();
}

void TFormWindows::Close(TGridTable& table, TCloseReason reason) {
  TTableForm* form = Form(table);
  forms_.erase(&table);
  if (form == nullptr) return;
  if (reason == TCloseReason::TableGone) {
    // The window goes with its table or its contents: an entry in progress
    // is dropped without a message (see ~TTableForm).
    delete form;
  } else if (!form->close()) {
    forms_[&table] = form;  // refused: the window stays
  }
}

TFormWindows& InstallTableWindows() {
  static TFormWindows windows;
  static const bool installed = (SetTableWindows(&windows), true);
  (void)installed;
  return windows;
}

}  // namespace terva::gui
