// "Transient Loading Data" and "Random Loading Data": the parameters of the
// load histories or spectra, whose rows are entered in the load tables.
// The number of points and the number of load types (or spectra) are one
// project value each, shared by the two windows.
#pragma once

#include "gui/forms/DataForm.hpp"

class QPushButton;

namespace terva::gui {

class Tfrmtransient : public TDataForm {
  Q_OBJECT

 public:
  explicit Tfrmtransient(const TFormContext& context, QWidget* parent = nullptr);
  // "Data Button": opens the table of load types and load histories.
  QPushButton* DataButton() const { return data_; }

 private:
  void LoadExtras() override;
  QPushButton* data_ = nullptr;
};

}  // namespace terva::gui
