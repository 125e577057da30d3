// The input helpers of the table windows: "Section..." in the pile data
// fills the radius, area, inertias and torsion constant of a row (or of every
// row) from a shape; "Generate Grid..." in the pile coordinates fills or
// extends the coordinates with a rectangular group; "Unit Weight..." in the
// soil tables fills the unit weight of a row (or of every row) from a
// density. Values in the table's units (InputHelpers.hpp computes them).
#pragma once

#include <QDialog>

#include <functional>
#include <utility>
#include <vector>

#include "gui/model/InputHelpers.hpp"

class QComboBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QRadioButton;
class QSpinBox;

namespace terva::gui {

class TTableForm;

// Adds the helper buttons a table window has (none for most tables).
void AddInputHelpers(TTableForm& form);

// "Pile Section": the shape and its dimensions, the constants as they follow
// the fields, and the rows to fill.
class TDlgPileSection : public QDialog {
  Q_OBJECT

 public:
  // `units`: the table's unit system; `rows`: its row count; `current`: the
  // current row (-1: none).
  TDlgPileSection(int units, int rows, int current, QWidget* parent = nullptr);

  QComboBox* ShapeBox() const { return shape_; }
  // The dimension fields: "Diameter", "Wall", "Width", "Depth",
  // "FlangeWidth", "FlangeThickness", "WebThickness".
  QLineEdit* Field(const QString& name) const;
  QRadioButton* DepthAlongXButton() const { return alongX_; }
  QRadioButton* DepthAlongYButton() const { return alongY_; }
  QRadioButton* CurrentRowButton() const { return currentRow_; }
  QRadioButton* EveryRowButton() const { return everyRow_; }
  QLabel* ResultLabel() const { return result_; }
  QLabel* ErrorLabel() const { return error_; }

  // The constants of the fields; not ok (with the reason) while a field
  // cannot be read or the shape cannot be.
  TSectionResult Result() const;
  // The rows to fill.
  int FirstRow() const;
  int LastRow() const;

  void accept() override;

 private:
  void Update();

  int units_, rows_, current_;
  QComboBox* shape_;
  QFormLayout* form_;
  std::vector<std::pair<QString, QLineEdit*>> fields_;
  QRadioButton* alongX_;
  QRadioButton* alongY_;
  QRadioButton* currentRow_;
  QRadioButton* everyRow_;
  QLabel* result_;
  QLabel* error_;
};

// "Generate Pile Grid": rows, columns, spacings and centre; the piles made
// replace the coordinates or follow them.
class TDlgGenerateGrid : public QDialog {
  Q_OBJECT

 public:
  TDlgGenerateGrid(int units, int capacity, QWidget* parent = nullptr);

  QSpinBox* RowsBox() const { return rows_; }
  QSpinBox* ColumnsBox() const { return columns_; }
  QLineEdit* SpacingXField() const { return spacingX_; }
  QLineEdit* SpacingYField() const { return spacingY_; }
  QLineEdit* CentreXField() const { return centreX_; }
  QLineEdit* CentreYField() const { return centreY_; }
  QRadioButton* ReplaceButton() const { return replace_; }
  QRadioButton* AppendButton() const { return append_; }
  QLabel* ResultLabel() const { return result_; }
  QLabel* ErrorLabel() const { return error_; }

  TGridResult Result() const;
  bool Append() const;

  void accept() override;

 private:
  void Update();

  int capacity_;
  QSpinBox* rows_;
  QSpinBox* columns_;
  QLineEdit* spacingX_;
  QLineEdit* spacingY_;
  QLineEdit* centreX_;
  QLineEdit* centreY_;
  QRadioButton* replace_;
  QRadioButton* append_;
  QLabel* result_;
  QLabel* error_;
};

// "Unit Weight from Density": a density in one of the density units, the
// unit weight it gives in the table's units, and the rows to fill.
class TDlgUnitWeight : public QDialog {
  Q_OBJECT

 public:
  // `units`: the table's unit system; `rows`: its row count; `current`: the
  // current row (-1: none). The density unit starts as the table's system's.
  TDlgUnitWeight(int units, int rows, int current, QWidget* parent = nullptr);

  QLineEdit* DensityField() const { return density_; }
  QComboBox* UnitBox() const { return unit_; }  // in TDensityUnit order
  QRadioButton* CurrentRowButton() const { return currentRow_; }
  QRadioButton* EveryRowButton() const { return everyRow_; }
  QLabel* ResultLabel() const { return result_; }
  QLabel* ErrorLabel() const { return error_; }

  // The unit weight of the fields in the table's units; not ok (with the
  // reason) while the density cannot be read or is not positive.
  TUnitWeightResult Result() const;
  int FirstRow() const;
  int LastRow() const;

  void accept() override;

 private:
  void Update();

  int units_, rows_, current_;
  QLineEdit* density_;
  QComboBox* unit_;
  QRadioButton* currentRow_;
  QRadioButton* everyRow_;
  QLabel* result_;
  QLabel* error_;
};

// Replaces the helper dialogs' exec (tests): fills the dialog and returns
// whether it was accepted.
using THelperDialogHook = std::function<bool(QDialog& dialog)>;
void SetHelperDialogHook(THelperDialogHook hook);

}  // namespace terva::gui
