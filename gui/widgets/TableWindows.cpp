#include "gui/widgets/TableWindows.hpp"

#include "gui/widgets/TableForm.hpp"

#include <QLayout>

namespace terva::gui {

void TFormWindows::SetEmbedding(const TGridTable& table, QWidget* parent) {
  if (parent != nullptr)
    parents_[&table] = parent;
  else
    parents_.erase(&table);
}

TTableForm* TFormWindows::Form(const TGridTable& table) const {
  const auto found = forms_.find(&table);
  return found != forms_.end() ? found->second.data() : nullptr;
}

void TFormWindows::Open(TGridTable& table) {
  TTableForm* form = Form(table);
  if (form == nullptr) {
    const auto embedding = parents_.find(&table);
    QWidget* parent = embedding != parents_.end() ? embedding->second.data() : nullptr;
    form = new TTableForm(&table, parent);
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
  if (reason == TCloseReason::TableGone) {
    forms_.erase(&table);
    parents_.erase(&table);
    delete form;
    return;
  }
  if (form != nullptr) form->close();
}

TFormWindows& InstallTableWindows() {
  static TFormWindows windows;
  static const bool installed = (SetTableWindows(&windows), true);
  (void)installed;
  return windows;
}

}  // namespace terva::gui
