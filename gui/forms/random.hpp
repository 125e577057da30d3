// "Random Loading Data": the parameters of the random load spectra, whose
// rows are entered in the spectrum tables (see transient.hpp for the values
// the two load windows share).
#pragma once

#include "gui/forms/DataForm.hpp"

class QPushButton;

namespace terva::gui {

class Tfrmrandom : public TDataForm {
  Q_OBJECT

 public:
  explicit Tfrmrandom(const TFormContext& context, QWidget* parent = nullptr);
  // "Data Button": opens the table of spectrum coordinates and spectra.
  QPushButton* DataButton() const { return data_; }

 private:
  void LoadExtras() override;
  QPushButton* data_ = nullptr;
};

}  // namespace terva::gui
