// "Foundation Shape": rectangular or circular footing (or pile cap) and its
// dimensions.
#pragma once

#include "gui/forms/DataForm.hpp"

class QRadioButton;

namespace terva::gui {

class TfrmShape : public TDataForm {
  Q_OBJECT

 public:
  explicit TfrmShape(const TFormContext& context, QWidget* parent = nullptr);

  QRadioButton* Rectangular() const { return rectangular_; }
  QRadioButton* Circular() const { return circular_; }

 protected:
  void LoadExtras() override;
  void StoreExtras() override;

 private:
  // Circular shows the radius, rectangular the length and width; the
  // hidden values stay as they are.
  void ShowDimensions();
  // Shows the thickness the next save computes.
  void ShowThickness();

  QRadioButton* rectangular_ = nullptr;
  QRadioButton* circular_ = nullptr;
  QFormLayout* form_ = nullptr;
};

}  // namespace terva::gui
