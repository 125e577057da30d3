// "Harmonic Loading Data, NonQuadratic": the frequency range and the
// amplitudes of the harmonic forces and moments.
#pragma once

#include "gui/forms/DataForm.hpp"

namespace terva::gui {

// The two harmonic windows edit the same values; each makes the project's
// loads of its kind (Quadratic 0 or 1) while it is in use.
class THarmonicForm : public TDataForm {
  Q_OBJECT

 public:
  THarmonicForm(const TFormContext& context, int quadratic, QWidget* parent = nullptr);

  int QuadraticFlag() const { return quadratic_; }

 protected:
  void LoadExtras() override;
  void StoreExtras() override;

 private:
  void SetKind();
  int quadratic_;
};

class Tfrmharmonic : public THarmonicForm {
  Q_OBJECT

 public:
  explicit Tfrmharmonic(const TFormContext& context, QWidget* parent = nullptr);
};

}  // namespace terva::gui
