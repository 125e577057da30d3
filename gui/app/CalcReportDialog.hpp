// "Calculation Report": the design criteria the report checks and its file's
// kind. The operating frequencies (one or more, "1500 rpm; 3000 rpm"), the
// least separation of a response peak from them, the amplitude and velocity
// limits (empty: not checked) and the points besides the centre of gravity
// (bearings, for example, by their offset from it). The criteria are kept
// with the user's settings when the report is written, per unit system.
#pragma once

#include <QDialog>
#include <QPageSize>

#include "gui/report/CalcReportWriter.hpp"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableWidget;

namespace terva::gui {

class TDlgCalcReport : public QDialog {
  Q_OBJECT

 public:
  // `system`: the project's unit system (1 English, 2 SI); `range`: the
  // computed frequencies' text shown under the frequency field.
  TDlgCalcReport(int system, const QString& range, QWidget* parent = nullptr);

  QLineEdit* FrequencyField() const { return frequency_; }
  QLineEdit* SeparationField() const { return separation_; }
  QLineEdit* AmplitudeField() const { return amplitude_; }
  QLineEdit* VelocityField() const { return velocity_; }
  QTableWidget* PointsTable() const { return points_; }
  QRadioButton* PdfButton() const { return pdf_; }
  QRadioButton* HtmlButton() const { return html_; }
  QComboBox* PaperBox() const { return paper_; }
  QLabel* ErrorLabel() const { return error_; }
  QPushButton* AddPointButton() const { return addPoint_; }
  QPushButton* RemovePointButton() const { return removePoint_; }

  // The request the fields give; false, with the reason under the fields,
  // when one of them cannot be read.
  bool Request(TCalcReportRequest& request);
  // Keeps the fields' criteria with the user's settings.
  void Store() const;

  // Closes the dialog only when its fields can be read.
  void accept() override;

 private:
  int system_;
  QLineEdit* frequency_;
  QLineEdit* separation_;
  QLineEdit* amplitude_;
  QLineEdit* velocity_;
  QTableWidget* points_;
  QPushButton* addPoint_;
  QPushButton* removePoint_;
  QRadioButton* pdf_;
  QRadioButton* html_;
  QComboBox* paper_;
  QLabel* error_;
};

}  // namespace terva::gui
