// "Active Plots": chooses which lines of a plot are listed (in legend and
// menu) and drawn at all.
#pragma once

#include <QDialog>

class QListWidget;
class QListWidgetItem;

namespace terva::gui {

class TGraphPlot;

class TDlgActiveLines : public QDialog {
  Q_OBJECT

 public:
  explicit TDlgActiveLines(TGraphPlot& plot, QWidget* parent = nullptr);
  QListWidget* List() const { return list_; }
  // The entry of a line: " yes : " or " no  : ", three blanks, the name.
  static QString EntryText(bool included, const QString& name);
  void Toggle(QListWidgetItem* item);
  void ToggleSelected();
  void SetAll(bool included);
  // Sets each line's included flag from its entry.
  void Apply();

 private:
  TGraphPlot& plot_;
  QListWidget* list_;
};

}  // namespace terva::gui
