// The table windows of the program: opens a TTableForm when a table asks for
// its window, places it (inside a given control, through the window host,
// or as a window of its own) and closes it when asked or when its table goes.
#pragma once

#include "gui/model/Table.hpp"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <map>

namespace terva::gui {

class TTableForm;

class TFormWindows : public TTableWindows {
 public:
  // Places new table windows (for example as child windows of the main window).
  using WindowHost = std::function<void(TTableForm*)>;
  void SetHost(WindowHost host) { host_ = std::move(host); }
  // The window of `table` is shown inside `parent`, without border (null:
  // placed as any other).
  void SetEmbedding(const TGridTable& table, QWidget* parent);

  // The open window of `table`, or null.
  TTableForm* Form(const TGridTable& table) const;

  void Open(TGridTable& table) override;
  void Close(TGridTable& table, TCloseReason reason) override;
  bool IsOpen(const TGridTable& table) const override { return Form(table) != nullptr; }

 private:
  struct TEmbedding {
    QPointer<const TGridTable> table;  // null once that table is gone
    QPointer<QWidget> parent;
  };
  QWidget* ParentOf(const TGridTable& table) const;

  std::map<const TGridTable*, QPointer<TTableForm>> forms_;
  std::map<const TGridTable*, TEmbedding> parents_;
  WindowHost host_;
};

// The program's table windows, installed with SetTableWindows on first use.
TFormWindows& InstallTableWindows();

}  // namespace terva::gui
