// "Foundation Data" (footings on a half-space or a stratum) and "Soil Below
// The Footing".
#pragma once

#include "gui/forms/DataForm.hpp"

namespace terva::gui {

class TfrmFoundations : public TDataForm {
  Q_OBJECT

 public:
  explicit TfrmFoundations(const TFormContext& context, QWidget* parent = nullptr);
};

}  // namespace terva::gui
