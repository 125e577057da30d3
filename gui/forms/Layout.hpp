// "Foundation Options": the foundation system, with a picture of it.
#pragma once

#include <QPixmap>

#include "gui/forms/DataForm.hpp"

class QComboBox;
class QLabel;

namespace terva::gui {

// The schematic picture of a foundation system: "halfspace.bmp",
// "pile.bmp", "stratum.bmp" or "multilayer.bmp" from the program's folder
// when it is there, else the program's own drawing.
QPixmap FoundationPicture(TFoundationType type);

class TfrmLayout : public TDataForm {
  Q_OBJECT

 public:
  explicit TfrmLayout(const TFormContext& context, QWidget* parent = nullptr);

  QComboBox* FootingType() const { return type_; }
  QLabel* Picture() const { return picture_; }

 protected:
  void LoadExtras() override;
  void StoreExtras() override;

 private:
  void TypeChanged(const QString& text);

  QComboBox* type_ = nullptr;
  QLabel* picture_ = nullptr;
  TFoundationType activated_ = TFoundationType::HalfSpace;
};

}  // namespace terva::gui
