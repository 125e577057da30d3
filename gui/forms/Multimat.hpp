// "Foundation Properties": the multilayer foundation's centre of gravity and
// the constants of its embedded column.
#pragma once

#include "gui/forms/DataForm.hpp"

namespace terva::gui {

class TfrmMultimat : public TDataForm {
  Q_OBJECT

 public:
  explicit TfrmMultimat(const TFormContext& context, QWidget* parent = nullptr);
};

// The largest static load the windows accept.
inline constexpr long double kMaxStaticLoad = 2147483647000.0L;

}  // namespace terva::gui
