#include "gui/model/ProjectTables.hpp"

#include "gui/model/ColumnTypes.hpp"
#include "gui/model/ProgramData.hpp"

#include <initializer_list>

namespace terva::gui {

namespace {

// One column of a table definition.
struct ColumnDef {
  enum Kind { kReal, kChoice, kNested } kind;
  QStringList header;
  QString unitTemplate;   // real columns
  QStringList items;      // choice columns
  int templateId = 0;     // nested-table columns
};

ColumnDef Real(QStringList header, QString unitTemplate = QString()) {
  return {ColumnDef::kReal, std::move(header), std::move(unitTemplate), {}, 0};
}
ColumnDef Choice(QStringList header, QStringList items) {
  return {ColumnDef::kChoice, std::move(header), {}, std::move(items), 0};
}
ColumnDef Nested(QStringList header, int templateId) {
  return {ColumnDef::kNested, std::move(header), {}, {}, templateId};
}

struct TableDef {
  const char* component;
  int identifier;
  const char* caption;
  const char* topLeft;
  int maxRows;
  bool hardwiredButton;
  std::vector<ColumnDef> columns;
};

const QStringList kLoadDirections = {"Force in X-direction", "Force in Y-direction", "Force in Z-direction",
                                     "Moment about X-axis",  "Moment about Y-axis",  "Moment about Z-axis"};
const QStringList kSpectrumDirections = {"Force in X-directiin", "Force in Y-direction", "Force in Z-direction",
                                         "Moment about X-axis",  "Moment about Y-axis",  "Moment about Z-axis"};

// The twelve tables, in identifier order.
std::vector<TableDef> Definitions() {
  return {
      {"D", 1, "Soil Properties", "Layer", 20, true,
       {Real({"Shear wave", "velocity, "}, "L2/SEC"), Real({"Unit weight"}, "F/L2^3"),
        Real({"Poisson's", "ratio"}), Real({"Material", "damping"}),
        Real({"Weak zone shear", "modulus ratio"})}},
      {"TLoadtype", 2, "Transient Loading Data", "Number", 0, true,
       {Choice({"Load type"}, kLoadDirections), Nested({"Load amplitude"}, 8)}},
      {"PileData", 3, "Pile Data", "Layer No.", 200, true,
       {Real({"Layer ", "depth, "}, "L2"), Real({"Radius of pile", "(X-dir.) "}, "L2"),
        Real({"Radius of pile", "(Y-dir.)"}, "L2"), Real({"Cross-sectional", "area, "}, "L2^2"),
        Real({"Moment of inertia", "(X-dir.)"}, "L2^4"), Real({"Moment of inertia", "(Y-dir.)"}, "L2^4"),
        Real({"Torsional polar moment", "of inertia (Z-dir.)"}, "L2^4")}},
      {"pilecapsoil", 4, "Side Weakened Soil Parameters", "Layer #", 20, true,
       {Real({"Thickness of", "layer, "}, "L2"), Real({"Shear wave", "velocity, "}, "L2/SEC"),
        Real({"Unit weight"}, "F/L2^3"), Real({"Poisson's", "ratio"}), Real({"Material", "damping"}),
        Real({"Weak zone", "shear moduli ratio"})}},
      // The Poisson's ratio is dimensionless: it carries no unit template, so
      // that a unit switch leaves it alone.
      {"Multisoil", 5, "Soil Layers Below the Foundation", "Layer #", 20, true,
       {Real({"Shear Wave", "velocity,"}, "L2/SEC"), Real({"Unit Weight"}, "F/L2^3"),
        Real({"Poisson's", "Ratio"}), Real({"Material", "Damping"}), Real({"Shear Modulus", "Ratio"}),
        Real({"Material Damping", "Ratio"})}},
      {"MultiElement", 6, "Multi-Layer Foundation", "Layer #", 20, true,
       {Real({"Layer Depth"}, "L2"), Real({"Radius of Foundation", "(X), "}, "L2"),
        Real({"Radius of Foundation", "(Y), "}, "L2"), Real({"Cross-Section", "Area"}, "L2^2"),
        Real({"Moment of Inertia", "(X), "}, "L2^4"), Real({"Moment of Inertia", "(Y),"}, "L2^4"),
        Real({"Torsional", "Coefficient"})}},
      {"Pilecoord", 7, "Pile Coordinations", "Pile #", 200, true,
       {Real({"X-coord."}, "L2"), Real({"Y-coord."}, "L2"), Real({"Battered Angle", "(degrees)"}),
        Choice({"Battered Plane", "(Z-vertical axis)"}, {"XZ-Plane", "YZ-Plane"})}},
      {"Dtransient", 8, "Load Amplitude", "Number", 0, true, {Real({"Load Amplitude"}, "F")}},
      {"Trandom", 9, "Random Loading data", "Number", 0, true,
       {Choice({"Spectrum Coordinates"}, kSpectrumDirections), Nested({"Enter Data"}, 10)}},
      {"Tspectrum", 10, "Random Spectrum Data", "Number", 0, true, {Real({"Spectrum Data"}, "F")}},
      {"D1", 11, "Soil Layer Data", "", 20, true,
       {Real({"Thickness"}, "L2"), Real({"Shear Wave", "Velocity,"}, "L2/SEC"), Real({"Unit Weight"}, "F/L2^3"),
        Real({"Poisson's", "Ratio"}), Real({"Material", "Damping"}),
        Real({"Weak Zone Shear", "Modulus Ratio"})}},
      {"MassCal", 12, "Mass Components including equipment, and self weight of footing ", "Mass #", 30, false,
       {Real({"Mass"}, "F6"), Real({"x-Coord."}, "L2"), Real({"y-Coord."}, "L2"), Real({"z-Coord."}, "L2"),
        Real({"Length ", "(x-direction)"}, "L2"), Real({"Width ", "(y-direction)"}, "L2"),
        Real({"Thickness", "(z-direction)"}, "L2")}},
  };
}

void CollectNested(TGridTable* table, std::vector<TGridTable*>& out) {
  out.push_back(table);
  for (int c = 0; c < table->ColumnCount(); ++c) {
    TColumn* column = table->Column(c);
    if (column->ClassNumber() != kTableColumn) continue;
    for (int r = 0; r < column->CellCount(); ++r)
      if (TGridTable* nested = column->NestedTable(r)) CollectNested(nested, out);
  }
}

}  // namespace

// ---------------------------------------------------------------------------
// TTableSnapshot

TTableSnapshot TTableSnapshot::Take(const TGridTable& table) {
  TTableSnapshot snapshot;
  snapshot.units = table.Units();
  snapshot.rows = table.RowCount();
  snapshot.modified = table.Modified();
  for (int c = 0; c < table.ColumnCount(); ++c) {
    const TColumn* column = table.Column(c);
    Column copy;
    copy.kind = column->ClassNumber();
    for (int r = 0; r < column->CellCount(); ++r) {
      switch (copy.kind) {
        case kFloatColumn: copy.reals.push_back(column->GetReal(r)); break;
        case kEnumColumn:
        case kIntColumn: copy.integers.push_back(column->GetInteger(r)); break;
        case kStringColumn: copy.texts.push_back(column->Text(r)); break;
        case kTableColumn: {
          const TGridTable* nested = column->NestedTable(r);
          copy.tables.push_back(nested ? std::make_unique<TTableSnapshot>(Take(*nested)) : nullptr);
          break;
        }
        default: break;
      }
    }
    snapshot.columns.push_back(std::move(copy));
  }
  return snapshot;
}

void TTableSnapshot::Restore(TGridTable& table) const {
  table.SetUnits(units);
  // Fresh rows: nested tables are made anew from their templates.
  table.SetRowCount(0);
  table.SetRowCount(rows);
  const int columnCount = std::min(table.ColumnCount(), static_cast<int>(columns.size()));
  for (int c = 0; c < columnCount; ++c) {
    TColumn* column = table.Column(c);
    const Column& copy = columns[static_cast<size_t>(c)];
    if (column->ClassNumber() != copy.kind) continue;
    for (int r = 0; r < column->CellCount(); ++r) {
      const auto row = static_cast<size_t>(r);
      switch (copy.kind) {
        case kFloatColumn:
          if (row < copy.reals.size()) column->SetReal(r, copy.reals[row]);
          break;
        case kEnumColumn:
        case kIntColumn:
          if (row < copy.integers.size()) column->SetInteger(r, copy.integers[row]);
          break;
        case kStringColumn:
          if (row < copy.texts.size()) column->SetFromText(r, copy.texts[row]);
          break;
        case kTableColumn:
          if (row < copy.tables.size() && copy.tables[row])
            if (TGridTable* nested = column->NestedTable(r)) copy.tables[row]->Restore(*nested);
          break;
        default: break;
      }
    }
  }
  if (modified)
    table.SetModified(true);
  else
    table.ClearModified();
}

// ---------------------------------------------------------------------------
// TProjectTables

TProjectTables::TProjectTables(QObject* parent) : QObject(parent) {
  const std::vector<TableDef> definitions = Definitions();
  for (size_t i = 0; i < definitions.size(); ++i) {
    const TableDef& def = definitions[i];
    auto* table = new TGridTable(this);
    connect(table, &TGridTable::Edited, this, &TProjectTables::Edited);
    table->setObjectName(QString::fromLatin1(def.component));
    previousHolders_[i] = TGridTable::Find(def.identifier);
    table->SetIdentifier(def.identifier);
    table->SetCaption(QString::fromLatin1(def.caption));
    table->SetTopLeft(QString::fromLatin1(def.topLeft));
    table->SetMaxRows(def.maxRows);
    table->SetMinRows(1);
    table->SetRowGroup(1);
    table->SetHardwiredButton(def.hardwiredButton);
    for (const ColumnDef& column : def.columns) {
      switch (column.kind) {
        case ColumnDef::kReal:
          table->AddColumn(std::make_unique<TFloatColumn>(column.header, column.unitTemplate));
          break;
        case ColumnDef::kChoice:
          table->AddColumn(std::make_unique<TEnumColumn>(column.header, column.items));
          break;
        case ColumnDef::kNested:
          table->AddColumn(std::make_unique<TTableColumn>(column.header, column.templateId));
          break;
      }
    }
    tables_[i] = table;
  }
}

TProjectTables::~TProjectTables() {
  CloseWindows(TCloseReason::TableGone);
  // The tables that hold nested copies go before their templates.
  for (TGridTable* table : tables_) table->SetRowCount(0);
  // The identifiers go back to the set that had them (the open project's).
  for (std::size_t i = 0; i < tables_.size(); ++i)
    if (previousHolders_[i] && previousHolders_[i] != tables_[i] &&
        TGridTable::Find(tables_[i]->Identifier()) == tables_[i])
      previousHolders_[i]->SetIdentifier(tables_[i]->Identifier());
}

std::vector<TGridTable*> TProjectTables::AllWithNested() const {
  std::vector<TGridTable*> all;
  for (TGridTable* table : tables_) CollectNested(table, all);
  return all;
}

void TProjectTables::SetUnits(int system) {
  for (TGridTable* table : tables_) table->SetUnits(system);
}

void TProjectTables::Reset(int system) {
  for (TGridTable* table : tables_) table->SetRowCount(0);
  SetUnits(system);
  for (TGridTable* table : tables_) table->SetRowCount(table->MinRows());
  EnsureMinRows();
  ClearModified();
}

void TProjectTables::EnsureMinRows() {
  // Outer tables first: a table that grows makes nested tables, which are
  // then visited in turn.
  for (TGridTable* table : tables_) {
    std::vector<TGridTable*> all;
    CollectNested(table, all);
    for (TGridTable* each : all)
      if (each->RowCount() < each->MinRows()) each->SetRowCount(each->MinRows());
  }
}

bool TProjectTables::Modified() const {
  for (TGridTable* table : tables_)
    if (table->Modified()) return true;
  return false;
}

void TProjectTables::ClearModified() {
  for (TGridTable* table : tables_) table->ClearModified();
}

void TProjectTables::CloseWindows(TCloseReason reason) {
  for (TGridTable* table : AllWithNested()) table->CloseWindow(reason);
}

std::vector<TTableSnapshot> TProjectTables::Snapshot() const {
  std::vector<TTableSnapshot> snapshot;
  snapshot.reserve(tables_.size());
  for (TGridTable* table : tables_) snapshot.push_back(TTableSnapshot::Take(*table));
  return snapshot;
}

void TProjectTables::Restore(const std::vector<TTableSnapshot>& snapshot) {
  for (size_t i = 0; i < tables_.size() && i < snapshot.size(); ++i) snapshot[i].Restore(*tables_[i]);
}

// ---------------------------------------------------------------------------
// Project creation and the unit switch

std::unique_ptr<TProgramData> NewProject(TProjectTables& tables) {
  // The rows of the old project go: so do their windows, entries in
  // progress included.
  tables.CloseWindows(TCloseReason::TableGone);
  auto data = std::make_unique<TProgramData>();
  // A new project is always SI; the tables follow, whatever system the
  // previous project left them in.
  data->ConvertUnits(2);
  tables.Reset(data->Units);
  return data;
}

void SetUnitSystem(TProgramData& data, TProjectTables& tables, int system) {
  system = std::clamp(system, 1, 2);
  if (system == data.Units) return;
  data.ConvertUnits(system);
  tables.SetUnits(system);
}

}  // namespace terva::gui
