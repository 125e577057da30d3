// Dialogs on a run's results, read from its graphic data file
// (ResultsExport.hpp): the springs and dashpots at an operating frequency
// (Computation menu) and the choice of format for File > Export Results.
#pragma once

#include <QDialog>

#include "gui/model/ResultsExport.hpp"
#include "gui/model/SpringsDashpots.hpp"

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace terva::gui {

// "Springs and Dashpots at a Frequency": the operating frequency typed with
// a unit from the list (or its own suffix: "25Hz"); the table of K, C and
// D follows every keystroke, a frequency that cannot be used says why in
// the dialog; "Copy" puts the table on the clipboard as text.
class TDlgSpringsDashpots : public QDialog {
  Q_OBJECT

 public:
  TDlgSpringsDashpots(TResultsData data, TResultsInfo info, QWidget* parent = nullptr);

  QLineEdit* FrequencyField() const { return frequency_; }
  QComboBox* UnitBox() const { return unit_; }
  QLabel* RangeLabel() const { return range_; }
  QLabel* ErrorLabel() const { return error_; }
  QPlainTextEdit* Table() const { return table_; }
  QPushButton* CopyButton() const { return copy_; }
  // The values shown; not ok while the field holds no usable frequency.
  const TSpringsDashpots& Values() const { return values_; }

  // Copies the table to the clipboard.
  void Copy() const;

 private:
  void Update();

  TResultsData data_;
  TResultsInfo info_;
  TSpringsDashpots values_;
  QLineEdit* frequency_;
  QComboBox* unit_;
  QLabel* range_;
  QLabel* error_;
  QPlainTextEdit* table_;
  QPushButton* copy_;
};

// "Export Results": CSV (NAME.impedance.csv, NAME.response.csv) or JSON
// (NAME.results.json), written beside the project.
class TDlgExportResults : public QDialog {
  Q_OBJECT

 public:
  explicit TDlgExportResults(const QString& project, QWidget* parent = nullptr);

  TExportFormat Format() const;
  void SetFormat(TExportFormat format);
  QRadioButton* CsvButton() const { return csv_; }
  QRadioButton* JsonButton() const { return json_; }

 private:
  QRadioButton* csv_;
  QRadioButton* json_;
};

}  // namespace terva::gui
