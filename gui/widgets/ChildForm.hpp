// The main window's child windows that edit the project: the data windows,
// the control options and the title window.
//
// A child form copies the values it edits in when it becomes the active child
// and out when it loses activation or closes; the main window deactivates the
// active child before any of its menus opens and before it closes, so the
// project is complete whenever a command runs.
#pragma once

#include <QWidget>

class QCloseEvent;

namespace terva::gui {

class TChildForm : public QWidget {
  Q_OBJECT

 public:
  explicit TChildForm(QWidget* parent = nullptr);

  // Copies the project's values into the fields.
  virtual void ActivateForm() {}
  // Copies the fields' values into the project. Returns false, leaving the
  // project as it was, when a field does not validate (the window stays the
  // active one).
  virtual bool DeactivateForm() { return true; }

 signals:
  // The user changed something in this window (the project may not hold
  // it yet: a field's value is stored when the field is left).
  void Modified();
  // The window stored a change into the project: one step of the undo
  // history, named `step` ("Edit Shear Wave Velocity").
  void Edited(const QString& step);

 protected:
  // Close: refused while the focused numeric field does not validate;
  // otherwise the deactivation step runs and the window goes away.
  void closeEvent(QCloseEvent* event) override;
  // True when the focused widget is a numeric entry field that does not
  // validate (its message is shown).
  bool FocusedFieldInvalid();
};

}  // namespace terva::gui
