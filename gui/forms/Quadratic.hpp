// "Harmonic Loading Data, Quadratic": loads whose amplitude grows with the
// square of the frequency, given as coefficients.
#pragma once

#include "gui/forms/harmonic.hpp"

namespace terva::gui {

class TfrmQuad : public THarmonicForm {
  Q_OBJECT

 public:
  explicit TfrmQuad(const TFormContext& context, QWidget* parent = nullptr);
};

}  // namespace terva::gui
