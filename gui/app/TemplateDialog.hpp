// "New Pile Group": the layout of the pile group a new project from the
// template gets: rows and columns of piles, their spacing, diameter and
// length (metres: the templates are in SI units).
#pragma once

#include <QDialog>

#include "gui/model/ProjectTemplates.hpp"

class QLabel;
class QLineEdit;
class QSpinBox;

namespace terva::gui {

class TDlgPileGroupTemplate : public QDialog {
  Q_OBJECT

 public:
  // The largest number of piles a group may have (the coordinates table's).
  explicit TDlgPileGroupTemplate(int capacity, QWidget* parent = nullptr);

  QSpinBox* RowsBox() const { return rows_; }
  QSpinBox* ColumnsBox() const { return columns_; }
  QLineEdit* SpacingField() const { return spacing_; }
  QLineEdit* DiameterField() const { return diameter_; }
  QLineEdit* LengthField() const { return length_; }
  QLabel* ErrorLabel() const { return error_; }

  // The layout of the fields; false, with the reason, while one cannot be
  // read or does not fit.
  bool Layout(TPileGroupTemplate& group, QString* error = nullptr) const;

  void accept() override;

 private:
  void Update();

  int capacity_;
  QSpinBox* rows_;
  QSpinBox* columns_;
  QLineEdit* spacing_;
  QLineEdit* diameter_;
  QLineEdit* length_;
  QLabel* summary_;
  QLabel* error_;
};

}  // namespace terva::gui
