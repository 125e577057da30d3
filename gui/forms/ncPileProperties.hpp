// "Pile Cap Properties": the pile cap's mass constants, with the same
// content, behaviour and project values as "Mass Data".
#pragma once

#include "gui/forms/Massdata.hpp"

namespace terva::gui {

class TfrmNCPileProperties : public TMassForm {
  Q_OBJECT

 public:
  explicit TfrmNCPileProperties(const TFormContext& context, QWidget* parent = nullptr);
};

}  // namespace terva::gui
