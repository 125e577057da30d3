// "Soil Below The Footing": the soil under the footing or the pile tips.
#pragma once

#include "gui/forms/DataForm.hpp"

namespace terva::gui {

class TfrmTipsoil : public TDataForm {
  Q_OBJECT

 public:
  explicit TfrmTipsoil(const TFormContext& context, QWidget* parent = nullptr);
};

}  // namespace terva::gui
