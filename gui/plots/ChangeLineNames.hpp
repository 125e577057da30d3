// "Legend": renames the lines of a plot. A name may not be empty.
#pragma once

#include <QDialog>
#include <QStringList>

class QLineEdit;
class QListWidget;

namespace terva::gui {

class TGraphPlot;

class TDlgLineNames : public QDialog {
  Q_OBJECT

 public:
  explicit TDlgLineNames(TGraphPlot& plot, QWidget* parent = nullptr);
  QListWidget* List() const { return list_; }
  QLineEdit* NameEdit() const { return edit_; }
  // Stores the edit box's text as the selected line's name; an empty text
  // is refused with a message and the old name comes back.
  void StoreName();
  // Sets every line's name from the list.
  void Apply();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Select(int row);

  TGraphPlot& plot_;
  QListWidget* list_;
  QLineEdit* edit_;
  int row_ = -1;
};

}  // namespace terva::gui
