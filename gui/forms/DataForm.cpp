#include "gui/forms/DataForm.hpp"
#include "gui/model/ProjectTables.hpp"

#include <QVBoxLayout>

#include <QHBoxLayout>

#include <QPushButton>

#include <QComboBox>
#include <QFont>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QMdiSubWindow>
#include <QPalette>

#include <algorithm>
#include <cmath>
#include <limits>

#include "gui/model/ProgramData.hpp"
#include "gui/widgets/DataEdit.hpp"

namespace terva::gui {

TFieldDecl Real(const char* name, const QString& caption, const QString& unitTemplate,
                long double TProgramData::*member) {
  TFieldDecl decl;
  decl.name = name;
  decl.caption = caption;
  decl.unitTemplate = unitTemplate;
  decl.get = [member](const TProgramData& p) { return p.*member; };
  decl.set = [member](TProgramData& p, long double v) { p.*member = v; };
  return decl;
}

TFieldDecl Count(const char* name, const QString& caption, int TProgramData::*member) {
  TFieldDecl decl;
  decl.name = name;
  decl.caption = caption;
  decl.count = true;
  decl.get = [member](const TProgramData& p) { return static_cast<long double>(p.*member); };
  decl.set = [member](TProgramData& p, long double v) { p.*member = RoundCount(v); };
  return decl;
}

int RoundCount(long double value) {
  if (std::isnan(value)) return 0;
  const long double rounded = std::round(value);
  if (rounded >= static_cast<long double>(std::numeric_limits<int>::max())) return std::numeric_limits<int>::max();
  if (rounded <= static_cast<long double>(std::numeric_limits<int>::min())) return std::numeric_limits<int>::min();
  return static_cast<int>(rounded);
}

std::function<QString(const TProgramData&)> HeldFor(std::initializer_list<TFoundationType> types, const QString& hint) {
  std::vector<TFoundationType> held(types);
  return [held, hint](const TProgramData& p) {
    return std::find(held.begin(), held.end(), p.FoundationCode) != held.end() ? QString() : hint;
  };
}

namespace {
// The open data windows, for FollowProject.
std::vector<TDataForm*>& OpenForms() {
  static std::vector<TDataForm*> forms;
  return forms;
}
}  // namespace

TDataForm::TDataForm(const TFormContext& context, const QString& caption, QWidget* parent)
    : TChildForm(parent), context_(context) {
  setWindowTitle(caption);
  OpenForms().push_back(this);
}

TDataForm::~TDataForm() { std::erase(OpenForms(), this); }

void TDataForm::FollowProject(const TProgramData& project) {
  for (TDataForm* form : OpenForms())
    if (form->context_.project && &form->context_.project() == &project) form->UpdateSources();
}

void TDataForm::UpdateSources() {
  const TProgramData& project = Project();
  bool resized = false;
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    if (!hints_[i]) continue;
    const QString hint = decls_[i].source(project);
    if (hint != hints_[i]->text() || hints_[i]->isHidden() != hint.isEmpty()) resized = true;
    hints_[i]->setText(hint);
    hintForms_[i]->setRowVisible(hints_[i], !hint.isEmpty());
    if (!decls_[i].readOnly) fields_[i]->setEnabled(hint.isEmpty());
  }
  if (!resized) return;
  // The window (and its frame) take the size of the rows now shown.
  if (layout()) layout()->activate();
  adjustSize();
  if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget())) frame->adjustSize();
}

QLabel* TDataForm::Hint(const QString& name) const {
  for (std::size_t i = 0; i < fields_.size(); ++i)
    if (fields_[i]->objectName() == name) return hints_[i];
  return nullptr;
}

QFormLayout* TDataForm::MakeForm() {
  auto* form = new QFormLayout;
  form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
  form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
  form->setRowWrapPolicy(QFormLayout::DontWrapRows);
  return form;
}

void TDataForm::AddFields(QFormLayout* form, const std::vector<TFieldDecl>& decls) {
  for (const TFieldDecl& decl : decls) {
    auto* label = new QLabel(this);
    auto* field = new TDataEdit(this);
    field->setObjectName(QString::fromLatin1(decl.name));
    field->setIntegerOnly(decl.count);
    field->setCaption(decl.caption.trimmed());
    field->setUnitsString(decl.unitTemplate);
    field->setEditLabel(label);
    field->setMaxVal(decl.max);
    field->setMinVal(decl.min);
    field->setReadOnly(decl.readOnly);
    if (decl.readOnly) {
      // Computed values: not in the tab order, and on the window's colour.
      field->setFocusPolicy(Qt::ClickFocus);
      QPalette palette = field->palette();
      palette.setColor(QPalette::Base, palette.color(QPalette::Window));
      field->setPalette(palette);
    }
    field->setMinimumWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("-0.000000000000E+000")));
    field->setAlignment(Qt::AlignRight);
    connect(field, &QLineEdit::textEdited, this, [this] { MarkModified(); });
    connect(field, &TDataEdit::entryAccepted, this,
            [this, field] { CommitStep(QStringLiteral("Edit ") + field->caption()); });
    form->addRow(label, field);
    QLabel* hint = nullptr;
    if (decl.source) {
      // The field keeps its place; the hint under it says where the value
      // comes from.
      hint = new QLabel(this);
      hint->setObjectName(QString::fromLatin1(decl.name) + QStringLiteral("Hint"));
      QFont font = hint->font();
      font.setItalic(true);
      hint->setFont(font);
      form->addRow(QString(), hint);
      form->setRowVisible(hint, false);
    }
    hints_.push_back(hint);
    hintForms_.push_back(form);
    decls_.push_back(decl);
    fields_.push_back(field);
    shownValues_.push_back(0.0L);
    shownTexts_.push_back(field->text());
  }
}

QGroupBox* TDataForm::AddGroup(const QString& title, const std::vector<TFieldDecl>& decls) {
  auto* group = new QGroupBox(title.trimmed(), this);
  QFormLayout* form = MakeForm();
  group->setLayout(form);
  AddFields(form, decls);
  return group;
}

QComboBox* TDataForm::AddChoice(QFormLayout* form, const char* name, const QString& caption,
                                const QStringList& items) {
  auto* choice = new QComboBox(this);
  choice->setObjectName(QString::fromLatin1(name));
  choice->addItems(items);
  choice->setEditable(false);
  auto* label = new QLabel(caption.simplified() + QLatin1Char(':'), this);
  label->setBuddy(choice);
  connect(choice, &QComboBox::currentTextChanged, this, [this, caption] {
    MarkModified();
    CommitStep(QStringLiteral("Edit ") + caption.simplified());
  });
  form->addRow(label, choice);
  return choice;
}

void TDataForm::FinishLayout() {
  if (layout()) layout()->setSizeConstraint(QLayout::SetFixedSize);
  adjustSize();
}

QPushButton* TDataForm::LayOutWithDataButton(QFormLayout* form, const QString& toolTip,
                                             std::function<TGridTable*(TProjectTables&)> table) {
  auto* button = new QPushButton(QStringLiteral("&Data Button"), this);
  button->setObjectName(QStringLiteral("DataButton"));
  button->setToolTip(toolTip);
  connect(button, &QPushButton::clicked, this, [this, table = std::move(table)] {
    if (Tables())
      if (TGridTable* shown = table(*Tables())) shown->Show();
  });
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(button);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addLayout(buttons);
  FinishLayout();
  return button;
}

void TDataForm::MarkModified() {
  if (!loading_) emit Modified();
}

namespace {
// Whether a field's entry would pass its check, without the check's
// messages or its rewriting of the text.
bool EntryPasses(const TDataEdit& field) {
  const Evaluation value = field.evaluate();
  if (!value.ok) return false;
  if (field.integerOnly() && value.value != std::trunc(value.value)) return false;
  const QString shown = field.displayText(value.value);
  if (value.value < field.minVal() && shown != field.displayText(field.minVal())) return false;
  if (value.value > field.maxVal() && shown != field.displayText(field.maxVal())) return false;
  return true;
}
}  // namespace

void TDataForm::CommitStep(const QString& step) {
  if (loading_ || !context_.project) return;
  TProgramData& project = Project();
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    if (!fields_[i]->isEnabled() || !EntryPasses(*fields_[i])) continue;
    long double value = FieldValue(fields_[i]);
    value = std::clamp(value, fields_[i]->minVal(), fields_[i]->maxVal());
    decls_[i].set(project, value);
  }
  StoreExtras();
  emit Edited(step);
}

void TDataForm::ShowValue(TDataEdit* field, long double value) {
  field->setNumber(value);  // clamped into the field's bounds
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    if (fields_[i] != field) continue;
    shownTexts_[i] = field->text();
    shownValues_[i] = field->text() == field->displayText(value) ? value : field->number();
  }
}

long double TDataForm::FieldValue(const TDataEdit* field) const {
  for (std::size_t i = 0; i < fields_.size(); ++i)
    if (fields_[i] == field && field->text() == shownTexts_[i]) return shownValues_[i];
  const Evaluation value = field->evaluate();
  return value.ok ? value.value : 0.0L;
}

TDataEdit* TDataForm::Field(const QString& name) const {
  for (TDataEdit* field : fields_)
    if (field->objectName() == name) return field;
  return nullptr;
}

void TDataForm::ActivateForm() {
  loading_ = true;
  TProgramData& project = Project();
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    fields_[i]->setUnits(project.Units);
    ShowValue(fields_[i], decls_[i].get(project));
  }
  LoadExtras();
  UpdateSources();
  loading_ = false;
}

bool TDataForm::DeactivateForm() {
  // The focused field first (its message names the entry the user is on),
  // then every other field: nothing is stored unless all of them hold values.
  if (FocusedFieldInvalid()) {
    raise();
    return false;
  }
  for (TDataEdit* field : fields_) {
    if (field->isReadOnly() || !field->isEnabled()) continue;
    if (!field->Validate()) {
      if (field->isVisible()) field->setFocus();
      raise();
      return false;
    }
  }
  TProgramData& project = Project();
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    // A disabled field was not the user's to change: its value stays.
    if (!fields_[i]->isEnabled()) continue;
    // A field whose text is as it was shown keeps the exact value: leaving
    // a window never rounds values to the digits on the screen.
    decls_[i].set(project, FieldValue(fields_[i]));
  }
  StoreExtras();
  return true;
}

}  // namespace terva::gui
