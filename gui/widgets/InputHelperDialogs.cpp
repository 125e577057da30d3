#include "gui/widgets/InputHelperDialogs.hpp"

#include "gui/model/ProjectState.hpp"

#include "gui/core/Messages.hpp"
#include "gui/core/units.hpp"
#include "gui/model/ProjectTables.hpp"
#include "gui/model/Table.hpp"
#include "gui/widgets/MessageBoxSink.hpp"
#include "gui/widgets/UnitField.hpp"
#include "gui/widgets/TableForm.hpp"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <cmath>

namespace terva::gui {

namespace {

THelperDialogHook& Hook() {
  static THelperDialogHook hook;
  return hook;
}

bool Run(QDialog& dialog) { return Hook() ? Hook()(dialog) : dialog.exec() == QDialog::Accepted; }

// A number as typed, "." or "," before the decimals; NaN when it is none.
double Number(const QString& text) {
  QString t = text.trimmed();
  t.replace(u',', u'.');
  bool ok = false;
  const double v = t.toDouble(&ok);
  return ok ? v : std::nan("");
}

QString Six(double v) { return QString::number(v, 'g', 6); }


QDialogButtonBox* Buttons(QDialog* dialog, const QString& ok) {
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, dialog);
  buttons->addButton(ok, QDialogButtonBox::AcceptRole)->setDefault(true);
  QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  return buttons;
}

const char* const kShapeNames[] = {"Solid circle", "Hollow circle (tube)", "Square", "H-section"};
struct TFieldDef {
  const char* name;
  const char* label;
};
const TFieldDef kFields[] = {{"Diameter", "&Diameter:"},
                             {"Wall", "&Wall thickness:"},
                             {"Width", "&Width:"},
                             {"Depth", "D&epth:"},
                             {"FlangeWidth", "&Flange width:"},
                             {"FlangeThickness", "Flange &thickness:"},
                             {"WebThickness", "Web thic&kness:"}};

}  // namespace

void SetHelperDialogHook(THelperDialogHook hook) { Hook() = std::move(hook); }

// --- Pile section ------------------------------------------------------------

TDlgPileSection::TDlgPileSection(int units, int rows, int current, QWidget* parent)
    : QDialog(parent), units_(units), rows_(rows), current_(current) {
  setWindowTitle(QStringLiteral("Pile Section"));
  const QString length = FieldUnitLabel(QStringLiteral("L2"), units);
  shape_ = new QComboBox(this);
  shape_->setObjectName(QStringLiteral("Shape"));
  for (const char* name : kShapeNames) shape_->addItem(QString::fromLatin1(name));
  auto* box = new QGroupBox(QStringLiteral("Shape and dimensions"), this);
  form_ = new QFormLayout(box);
  auto* shapeLabel = new QLabel(QStringLiteral("&Shape:"), box);
  shapeLabel->setBuddy(shape_);
  form_->addRow(shapeLabel, shape_);
  for (const TFieldDef& def : kFields) {
    auto* field = new QLineEdit(box);
    field->setObjectName(QString::fromLatin1(def.name));
    auto* label = new QLabel(QString::fromLatin1(def.label), box);
    label->setBuddy(field);
    form_->addRow(label, WithUnit(field, length, box));
    fields_.emplace_back(QString::fromLatin1(def.name), field);
    connect(field, &QLineEdit::textChanged, this, &TDlgPileSection::Update);
  }
  alongX_ = new QRadioButton(QStringLiteral("along &X"), box);
  alongY_ = new QRadioButton(QStringLiteral("along &Y"), box);
  alongX_->setChecked(true);
  auto* along = new QWidget(box);
  auto* alongRow = new QHBoxLayout(along);
  alongRow->setContentsMargins(0, 0, 0, 0);
  alongRow->addWidget(alongX_);
  alongRow->addWidget(alongY_);
  alongRow->addStretch();
  form_->addRow(QStringLiteral("Depth lies:"), along);
  connect(alongX_, &QRadioButton::toggled, this, &TDlgPileSection::Update);

  auto* rowsBox = new QGroupBox(QStringLiteral("Fill"), this);
  currentRow_ = new QRadioButton(
      current >= 0 ? QStringLiteral("the &current row (%1)").arg(current + 1) : QStringLiteral("the &current row"),
      rowsBox);
  everyRow_ = new QRadioButton(QStringLiteral("e&very row (1 to %1): one section along the whole pile").arg(rows),
                               rowsBox);
  currentRow_->setEnabled(current >= 0);
  everyRow_->setChecked(true);
  auto* rowsLayout = new QVBoxLayout(rowsBox);
  rowsLayout->addWidget(everyRow_);
  rowsLayout->addWidget(currentRow_);

  result_ = new QLabel(this);
  result_->setObjectName(QStringLiteral("Result"));
  result_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  error_ = NewErrorLabel(this);
  auto* note = new QLabel(QStringLiteral("The radius is filled for the circles (half the diameter); for the other "
                                         "shapes it stays as entered. J is the torsion constant: the polar moment "
                                         "of a circle, St Venant's for the other shapes."),
                          this);
  note->setWordWrap(true);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(box);
  layout->addWidget(result_);
  layout->addWidget(note);
  layout->addWidget(rowsBox);
  layout->addWidget(error_);
  layout->addWidget(Buttons(this, QStringLiteral("&Fill")));
  connect(shape_, &QComboBox::currentIndexChanged, this, &TDlgPileSection::Update);
  Update();
  resize(460, sizeHint().height());
}

QLineEdit* TDlgPileSection::Field(const QString& name) const {
  for (const auto& [n, field] : fields_)
    if (n == name) return field;
  return nullptr;
}

TSectionResult TDlgPileSection::Result() const {
  TSectionShapeInput in;
  in.shape = static_cast<TSectionShape>(shape_->currentIndex());
  in.diameter = Number(Field(QStringLiteral("Diameter"))->text());
  in.wall = Number(Field(QStringLiteral("Wall"))->text());
  in.width = Number(Field(QStringLiteral("Width"))->text());
  in.depth = Number(Field(QStringLiteral("Depth"))->text());
  in.flangeWidth = Number(Field(QStringLiteral("FlangeWidth"))->text());
  in.flangeThickness = Number(Field(QStringLiteral("FlangeThickness"))->text());
  in.webThickness = Number(Field(QStringLiteral("WebThickness"))->text());
  in.depthAlongX = alongX_->isChecked();
  return SectionConstants(in);
}

int TDlgPileSection::FirstRow() const { return everyRow_->isChecked() || current_ < 0 ? 0 : current_; }
int TDlgPileSection::LastRow() const { return everyRow_->isChecked() || current_ < 0 ? rows_ - 1 : current_; }

void TDlgPileSection::Update() {
  const int shape = shape_->currentIndex();
  // which dimensions each shape takes
  const bool shown[][7] = {{true, false, false, false, false, false, false},
                           {true, true, false, false, false, false, false},
                           {false, false, true, false, false, false, false},
                           {false, false, false, true, true, true, true}};
  for (int i = 0; i < 7; ++i) form_->setRowVisible(i + 1, shown[shape][i]);
  form_->setRowVisible(8, shape == static_cast<int>(TSectionShape::HSection));
  const TSectionResult r = Result();
  const QString length = FieldUnitLabel(QStringLiteral("L2"), units_);
  if (r.ok) {
    const TSectionConstants& c = r.constants;
    result_->setText(QStringLiteral("Area %1 %2²   I (X-dir.) %3 %2⁴   I (Y-dir.) %4 %2⁴   J %5 %2⁴%6")
                         .arg(Six(c.area), length, Six(c.inertiaX), Six(c.inertiaY), Six(c.torsion),
                              c.radius ? QStringLiteral("   radius %1 %2").arg(Six(*c.radius), length) : QString()));
    error_->clear();
  } else {
    result_->clear();
  }
}

void TDlgPileSection::accept() {
  const TSectionResult r = Result();
  if (!r.ok) {
    error_->setText(r.error);
    return;
  }
  QDialog::accept();
}

// --- Pile grid ------------------------------------------------------------------

TDlgGenerateGrid::TDlgGenerateGrid(int units, int capacity, QWidget* parent)
    : QDialog(parent), capacity_(capacity) {
  setWindowTitle(QStringLiteral("Generate Pile Grid"));
  const QString length = FieldUnitLabel(QStringLiteral("L2"), units);
  rows_ = new QSpinBox(this);
  columns_ = new QSpinBox(this);
  for (QSpinBox* box : {rows_, columns_}) {
    box->setRange(1, capacity);
    box->setValue(3);
  }
  rows_->setObjectName(QStringLiteral("Rows"));
  columns_->setObjectName(QStringLiteral("Columns"));
  spacingX_ = new QLineEdit(this);
  spacingY_ = new QLineEdit(this);
  centreX_ = new QLineEdit(QStringLiteral("0"), this);
  centreY_ = new QLineEdit(QStringLiteral("0"), this);
  spacingX_->setObjectName(QStringLiteral("SpacingX"));
  spacingY_->setObjectName(QStringLiteral("SpacingY"));
  centreX_->setObjectName(QStringLiteral("CentreX"));
  centreY_->setObjectName(QStringLiteral("CentreY"));
  auto* box = new QGroupBox(QStringLiteral("Rows along X, one behind another along Y"), this);
  auto* form = new QFormLayout(box);
  const auto add = [&](const QString& text, QWidget* field, QWidget* shown) {
    auto* label = new QLabel(text, box);
    label->setBuddy(field);
    form->addRow(label, shown);
  };
  add(QStringLiteral("&Rows (along Y):"), rows_, rows_);
  add(QStringLiteral("&Columns (along X):"), columns_, columns_);
  add(QStringLiteral("Spacing along &X:"), spacingX_, WithUnit(spacingX_, length, box));
  add(QStringLiteral("Spacing along &Y:"), spacingY_, WithUnit(spacingY_, length, box));
  add(QStringLiteral("Centre x:"), centreX_, WithUnit(centreX_, length, box));
  add(QStringLiteral("Centre y:"), centreY_, WithUnit(centreY_, length, box));
  for (QLineEdit* field : {spacingX_, spacingY_, centreX_, centreY_})
    connect(field, &QLineEdit::textChanged, this, &TDlgGenerateGrid::Update);
  for (QSpinBox* spin : {rows_, columns_}) connect(spin, &QSpinBox::valueChanged, this, &TDlgGenerateGrid::Update);

  auto* modeBox = new QGroupBox(QStringLiteral("The piles made"), this);
  replace_ = new QRadioButton(QStringLiteral("re&place the coordinates"), modeBox);
  append_ = new QRadioButton(QStringLiteral("&follow the coordinates there are"), modeBox);
  replace_->setChecked(true);
  auto* modeLayout = new QVBoxLayout(modeBox);
  modeLayout->addWidget(replace_);
  modeLayout->addWidget(append_);

  result_ = new QLabel(this);
  result_->setObjectName(QStringLiteral("Result"));
  error_ = NewErrorLabel(this);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(box);
  layout->addWidget(result_);
  layout->addWidget(modeBox);
  layout->addWidget(error_);
  layout->addWidget(Buttons(this, QStringLiteral("&Generate")));
  Update();
  resize(420, sizeHint().height());
}

TGridResult TDlgGenerateGrid::Result() const {
  TGridInput in;
  in.rows = rows_->value();
  in.columns = columns_->value();
  // a spacing left empty where one line of piles needs none
  in.spacingX = spacingX_->text().trimmed().isEmpty() && in.columns == 1 ? 0.0 : Number(spacingX_->text());
  in.spacingY = spacingY_->text().trimmed().isEmpty() && in.rows == 1 ? 0.0 : Number(spacingY_->text());
  in.centreX = centreX_->text().trimmed().isEmpty() ? 0.0 : Number(centreX_->text());
  in.centreY = centreY_->text().trimmed().isEmpty() ? 0.0 : Number(centreY_->text());
  return GridCoordinates(in, capacity_);
}

bool TDlgGenerateGrid::Append() const { return append_->isChecked(); }

void TDlgGenerateGrid::Update() {
  const TGridResult r = Result();
  if (r.ok) {
    const TGridPoint& a = r.points.front();
    const TGridPoint& b = r.points.back();
    result_->setText(QStringLiteral("%1 piles, from (%2, %3) to (%4, %5)")
                         .arg(r.points.size())
                         .arg(Six(a.x), Six(a.y), Six(b.x), Six(b.y)));
    error_->clear();
  } else {
    result_->clear();
  }
}

void TDlgGenerateGrid::accept() {
  const TGridResult r = Result();
  if (!r.ok) {
    error_->setText(r.error);
    return;
  }
  QDialog::accept();
}

// --- Unit weight from a density -------------------------------------------------

TDlgUnitWeight::TDlgUnitWeight(int units, int rows, int current, QWidget* parent)
    : QDialog(parent), units_(units == 1 ? 1 : 2), rows_(rows), current_(current) {
  setWindowTitle(QStringLiteral("Unit Weight from Density"));
  density_ = new QLineEdit(this);
  density_->setObjectName(QStringLiteral("Density"));
  unit_ = new QComboBox(this);
  unit_->setObjectName(QStringLiteral("DensityUnit"));
  for (int i = 0; i < kDensityUnitCount; ++i) {
    const auto unit = static_cast<TDensityUnit>(i);
    unit_->addItem(QStringLiteral("%1 (%2)").arg(DensityUnitName(unit),
                                                DensityUnitSystem(unit) == 1 ? QStringLiteral("English")
                                                                             : QStringLiteral("SI")));
  }
  unit_->setCurrentIndex(static_cast<int>(units_ == 1 ? TDensityUnit::SlugPerCubicFoot
                                                      : TDensityUnit::MegagramPerCubicMetre));
  auto* box = new QGroupBox(QStringLiteral("Density of the soil"), this);
  auto* form = new QFormLayout(box);
  auto* densityLabel = new QLabel(QStringLiteral("&Density:"), box);
  densityLabel->setBuddy(density_);
  auto* densityRow = new QWidget(box);
  auto* densityLayout = new QHBoxLayout(densityRow);
  densityLayout->setContentsMargins(0, 0, 0, 0);
  densityLayout->addWidget(density_);
  densityLayout->addWidget(unit_);
  form->addRow(densityLabel, densityRow);
  result_ = new QLabel(box);
  result_->setObjectName(QStringLiteral("Result"));
  result_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  form->addRow(QStringLiteral("Unit weight:"), result_);
  connect(density_, &QLineEdit::textChanged, this, &TDlgUnitWeight::Update);
  connect(unit_, &QComboBox::currentIndexChanged, this, &TDlgUnitWeight::Update);

  auto* note = new QLabel(QStringLiteral("The unit weight is the density times the gravity of the analysis "
                                         "(%1), so that the analysis finds the density again.")
                              .arg(units_ == 1 ? QStringLiteral("32.2 ft/s²") : QStringLiteral("9.8 m/s²")),
                          this);
  note->setWordWrap(true);

  auto* rowsBox = new QGroupBox(QStringLiteral("Fill"), this);
  currentRow_ = new QRadioButton(
      current >= 0 ? QStringLiteral("the &current row (%1)").arg(current + 1) : QStringLiteral("the &current row"),
      rowsBox);
  everyRow_ = new QRadioButton(QStringLiteral("&every row (1 to %1)").arg(rows), rowsBox);
  currentRow_->setEnabled(current >= 0);
  // soil layers differ: the current layer unless there is none
  (current >= 0 ? currentRow_ : everyRow_)->setChecked(true);
  auto* rowsLayout = new QVBoxLayout(rowsBox);
  rowsLayout->addWidget(currentRow_);
  rowsLayout->addWidget(everyRow_);

  error_ = NewErrorLabel(this);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(box);
  layout->addWidget(note);
  layout->addWidget(rowsBox);
  layout->addWidget(error_);
  layout->addWidget(Buttons(this, QStringLiteral("&Fill")));
  Update();
  resize(400, sizeHint().height());
}

TUnitWeightResult TDlgUnitWeight::Result() const {
  const double density = Number(density_->text());
  if (std::isnan(density)) {
    TUnitWeightResult r;
    r.error = density_->text().trimmed().isEmpty() ? QStringLiteral("Enter the density.")
                                                   : QStringLiteral("The density must be a number.");
    return r;
  }
  return UnitWeightFromDensity(density, static_cast<TDensityUnit>(unit_->currentIndex()), units_);
}

int TDlgUnitWeight::FirstRow() const { return everyRow_->isChecked() || current_ < 0 ? 0 : current_; }
int TDlgUnitWeight::LastRow() const { return everyRow_->isChecked() || current_ < 0 ? rows_ - 1 : current_; }

void TDlgUnitWeight::Update() {
  const TUnitWeightResult r = Result();
  if (r.ok) {
    // "kN/m³", "lbs/ft³", as the section dialog writes its powers
    const QString unit = FieldUnitLabel(QStringLiteral("F"), units_) + u'/' +
                         FieldUnitLabel(QStringLiteral("L2"), units_) + QStringLiteral("³");
    result_->setText(QStringLiteral("= %1 %2").arg(Six(r.unitWeight), unit));
    error_->clear();
  } else {
    result_->clear();
  }
}

void TDlgUnitWeight::accept() {
  const TUnitWeightResult r = Result();
  if (!r.ok) {
    error_->setText(r.error);
    return;
  }
  QDialog::accept();
}

// --- The buttons -------------------------------------------------------------------

void AddInputHelpers(TTableForm& form) {
  TGridTable* table = form.Table();
  if (table == nullptr) return;
  if (table->Identifier() == TProjectTables::kPileDataId) {
    QObject::connect(form.AddHelperButton(QStringLiteral("&Section...")), &QPushButton::clicked, &form, [&form] {
      if (!form.StoreCurrentCell()) return;
      TGridTable& t = *form.Table();
      TDlgPileSection dialog(t.Units(), t.RowCount(), form.CurrentRow(), &form);
      if (!Run(dialog)) return;
      const TSectionResult r = dialog.Result();
      NameNextStep(QStringLiteral("Pile Section"));
      if (r.ok) FillSectionRows(t, r.constants, dialog.FirstRow(), dialog.LastRow());
      TakeStepName();
    });
  } else if (table->Identifier() == TProjectTables::kPileCoordinatesId) {
    QObject::connect(form.AddHelperButton(QStringLiteral("&Generate Grid...")), &QPushButton::clicked, &form, [&form] {
      if (!form.StoreCurrentCell()) return;
      TGridTable& t = *form.Table();
      TDlgGenerateGrid dialog(t.Units(), t.MaxRows() > 0 ? t.MaxRows() : 200, &form);
      if (!Run(dialog)) return;
      const TGridResult r = dialog.Result();
      QString error;
      NameNextStep(QStringLiteral("Generate Grid"));
      const bool filled = r.ok && FillGridRows(t, r.points, dialog.Append(), &error);
      TakeStepName();
      if (r.ok && !filled)
        ShowMessage(TMessageKind::Error, QStringLiteral("Generate Grid"), error);
    });
  }
  // the soil tables: every one with a unit weight column
  if (UnitWeightColumn(*table) >= 0) {
    QObject::connect(form.AddHelperButton(QStringLiteral("&Unit Weight...")), &QPushButton::clicked, &form, [&form] {
      if (!form.StoreCurrentCell()) return;
      TGridTable& t = *form.Table();
      TDlgUnitWeight dialog(t.Units(), t.RowCount(), form.CurrentRow(), &form);
      if (!Run(dialog)) return;
      const TUnitWeightResult r = dialog.Result();
      NameNextStep(QStringLiteral("Unit Weight from Density"));
      if (r.ok) FillUnitWeightRows(t, r.unitWeight, dialog.FirstRow(), dialog.LastRow());
      TakeStepName();
    });
  }
}

}  // namespace terva::gui
