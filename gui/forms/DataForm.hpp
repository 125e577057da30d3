// TDataForm: the base of the data windows. A window declares its numeric
// fields as data (caption, unit template, bounds, the project value it
// edits); the base builds the labelled fields and carries the reactions that
// every data window shares:
//
//   activation    every field takes the project's unit system and its value;
//   deactivation  refused while an enabled field does not validate (nothing
//                 stored), otherwise every enabled field is stored, counts
//                 rounded;
//   sources       a field the project file does not hold for the foundation
//                 type is disabled, with a hint saying where its value comes
//                 from; computed ones are read-only with theirs. Both follow
//                 the project's foundation type (FollowProject);
//   close         the deactivation step, then the window goes (TChildForm);
//   any change    by the user marks the project modified (signal Modified).
//
// Choice lists, radio buttons and buttons are the windows' own; they take
// part through LoadExtras / StoreExtras and MarkModified.
#pragma once

#include <QString>

#include <array>
#include <functional>
#include <limits>
#include <vector>

#include "gui/model/ProgramData.hpp"
#include "gui/widgets/ChildForm.hpp"

class QComboBox;
class QFormLayout;
class QPushButton;
class QGroupBox;
class QLabel;

namespace terva::gui {

class TDataEdit;
class TGridTable;
class TProjectTables;

// How a data window reaches the project, its tables and the main window
// (the windows do not know the main window itself).
struct TFormContext {
  std::function<TProgramData&()> project;
  TProjectTables* tables = nullptr;
  // The main window re-evaluates its menus after a change of foundation type.
  std::function<void()> foundationTypeChanged;
};

// One numeric field of a window and the project value behind it.
struct TFieldDecl {
  const char* name = "";     // object name of the field
  QString caption;           // label text; the unit follows in parentheses
  QString unitTemplate;      // empty: dimensionless
  std::function<long double(const TProgramData&)> get;
  std::function<void(TProgramData&, long double)> set;
  bool count = false;        // a whole number: integer-only, rounded when stored
  long double min = -std::numeric_limits<long double>::max();
  long double max = std::numeric_limits<long double>::max();
  bool readOnly = false;     // shows a computed value; still stored
  // Where the value comes from, shown in a one-line hint beside the field.
  // Computed fields (the save recomputes the value) are read-only and show
  // it always; any other field with a source is disabled while the source
  // gives a text for the project as it is (its file does not hold the value
  // for that foundation type) and enabled, without hint, while it gives none.
  std::function<QString(const TProgramData&)> source;

  TFieldDecl& Min(long double value) { min = value; return *this; }
  TFieldDecl& Max(long double value) { max = value; return *this; }
  TFieldDecl& ReadOnly() { readOnly = true; return *this; }
  TFieldDecl& NotHeld(std::function<QString(const TProgramData&)> hint) { source = std::move(hint); return *this; }
  TFieldDecl& Computed(std::function<QString(const TProgramData&)> hint) {
    readOnly = true;
    source = std::move(hint);
    return *this;
  }
};

// Sources of values the project file holds for some foundation types only.
// The hint for a field held only for the given types; empty for those.
std::function<QString(const TProgramData&)> HeldFor(std::initializer_list<TFoundationType> types, const QString& hint);

// Field of a real project value.
TFieldDecl Real(const char* name, const QString& caption, const QString& unitTemplate,
                long double TProgramData::*member);
// Field of one element of an array of reals (MassConstants[2], CbLocal[0] ...).
template <std::size_t N>
TFieldDecl Element(const char* name, const QString& caption, const QString& unitTemplate,
                   std::array<long double, N> TProgramData::*member, std::size_t index) {
  TFieldDecl decl;
  decl.name = name;
  decl.caption = caption;
  decl.unitTemplate = unitTemplate;
  decl.get = [member, index](const TProgramData& p) { return (p.*member)[index]; };
  decl.set = [member, index](TProgramData& p, long double v) { (p.*member)[index] = v; };
  return decl;
}
// Field of a count (an int project value).
TFieldDecl Count(const char* name, const QString& caption, int TProgramData::*member);

// A count as stored: rounded to the nearest whole number, within int range.
int RoundCount(long double value);

class TDataForm : public TChildForm {
  Q_OBJECT

 public:
  TDataForm(const TFormContext& context, const QString& caption, QWidget* parent = nullptr);
  ~TDataForm() override;

  // Every open data window of `project` updates its fields' state and hints
  // (after a change of foundation type).
  static void FollowProject(const TProgramData& project);

  void ActivateForm() final;
  bool DeactivateForm() final;

  // The field with the given object name (tests, screenshots); null if none.
  TDataEdit* Field(const QString& name) const;
  // The hint beside the field with the given object name; null if it has none.
  QLabel* Hint(const QString& name) const;
  const std::vector<TFieldDecl>& Declarations() const { return decls_; }
  const std::vector<TDataEdit*>& Fields() const { return fields_; }

 protected:
  TProgramData& Project() const { return context_.project(); }
  TProjectTables* Tables() const { return context_.tables; }
  const TFormContext& Context() const { return context_; }

  // Adds the fields to a form layout, each on a row with its label.
  void AddFields(QFormLayout* form, const std::vector<TFieldDecl>& decls);
  // A group box with a form layout of the given fields.
  QGroupBox* AddGroup(const QString& title, const std::vector<TFieldDecl>& decls);
  // A non-editable choice list with its label on a row of `form`; a change by
  // the user marks the project modified.
  QComboBox* AddChoice(QFormLayout* form, const char* name, const QString& caption, const QStringList& items);
  // A form layout with the look every data window shares.
  static QFormLayout* MakeForm();
  // Sizes the window to its content.
  void FinishLayout();
  // Lays out `form` above a right-aligned "Data Button" that opens the
  // table `table` gives (the load windows' way to their load tables).
  QPushButton* LayOutWithDataButton(QFormLayout* form, const QString& toolTip,
                                    std::function<TGridTable*(TProjectTables&)> table);

  // Reactions of the window's own controls, after the fields were loaded and
  // stored. StoreExtras runs only when every field validated.
  virtual void LoadExtras() {}
  virtual void StoreExtras() {}
  // Shows a value in a field. The field shows it to 8 significant digits;
  // as long as its text is not changed, storing gives back the value itself.
  void ShowValue(TDataEdit* field, long double value);
  // The value of a field: the value shown while its text is unchanged,
  // otherwise its text evaluated (0 when it does not evaluate).
  long double FieldValue(const TDataEdit* field) const;

  // True while the window loads the project's values (no Modified then).
  bool Loading() const { return loading_; }
  void MarkModified();
  // Stores what the window holds into the project now, as one step of the
  // undo history named `step`: every enabled field whose entry passes its
  // check (quietly: a field that does not pass keeps its entry for the
  // check when the window is left), then the window's own controls.
  // Nothing while the window loads.
  void CommitStep(const QString& step);
  // Enables the fields and sets their hints for the project as it is.
  void UpdateSources();

 private:
  TFormContext context_;
  std::vector<TFieldDecl> decls_;
  std::vector<TDataEdit*> fields_;
  std::vector<QLabel*> hints_;  // per field; null without a source
  std::vector<QFormLayout*> hintForms_;  // per field: the form it is on
  // Per field: the value shown last and the text it was shown with.
  std::vector<long double> shownValues_;
  std::vector<QString> shownTexts_;
  bool loading_ = false;
};

}  // namespace terva::gui
