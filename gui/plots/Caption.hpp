// "Graph Caption": the title of a plot and where it stands.
#pragma once

#include <QDialog>

class QLineEdit;
class QRadioButton;

namespace terva::gui {

class TGraphPlot;

class TDlgCaption : public QDialog {
  Q_OBJECT

 public:
  explicit TDlgCaption(TGraphPlot& plot, QWidget* parent = nullptr);
  QLineEdit* CaptionEdit() const { return edit_; }
  QRadioButton* TopButton() const { return top_; }
  QRadioButton* BottomButton() const { return bottom_; }
  // Stores title and location in the plot.
  void Apply();

 private:
  TGraphPlot& plot_;
  QLineEdit* edit_;
  QRadioButton* top_;
  QRadioButton* bottom_;
};

}  // namespace terva::gui
