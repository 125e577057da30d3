// "Save Attributes": the size and resolution of a saved plot picture.
#pragma once

#include <QDialog>

namespace terva::gui {

class TDataEdit;

class TDlgSaveAttb : public QDialog {
  Q_OBJECT

 public:
  explicit TDlgSaveAttb(QWidget* parent = nullptr);
  TDataEdit* HeightEdit() const { return height_; }
  TDataEdit* WidthEdit() const { return width_; }
  TDataEdit* PpiEdit() const { return ppi_; }
  // Checks the three fields (with their messages) before closing.
  void accept() override;

  double HeightInches() const;
  double WidthInches() const;
  int Ppi() const;

 private:
  TDataEdit* height_;
  TDataEdit* width_;
  TDataEdit* ppi_;
};

}  // namespace terva::gui
