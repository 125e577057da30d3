// The project's grid tables: the twelve tables that hold every row-oriented
// input of a project. One TProjectTables lives as long as the main window;
// the tables are cleared, refilled and converted in place and never
// recreated with a project, so their identities (and the identifiers through
// which the nested load tables find their templates) stay.
//
// The identifiers 1 to 12 are program-wide: a second set (the tables a
// project is read into before it replaces the open one) takes them over
// from the first for as long as it lives, and gives them back when it goes.
#pragma once

#include "gui/model/Table.hpp"

#include <QObject>
#include <QPointer>
#include <QString>

#include <array>
#include <memory>
#include <vector>

namespace terva::gui {

class TProgramData;

// Plain copy of a table's rows: units, row count, modified flag and every
// cell, nested tables included. Used to put tables back after a failed load
// and to compare tables cell by cell.
struct TTableSnapshot {
  struct Column {
    int kind = 0;                        // the column's registration number
    std::vector<long double> reals;      // real columns
    std::vector<int> integers;           // choice and integer columns
    std::vector<QString> texts;          // text columns
    std::vector<std::unique_ptr<TTableSnapshot>> tables;  // nested-table columns (null: no table)
  };
  int units = 1;
  int rows = 0;
  bool modified = false;
  std::vector<Column> columns;

  static TTableSnapshot Take(const TGridTable& table);
  // Puts the rows back into `table`, whose columns must be those the
  // snapshot was taken from.
  void Restore(TGridTable& table) const;
};

class TProjectTables : public QObject {
  Q_OBJECT

 public:
  static constexpr int kTableCount = 12;
  // The identifiers of the tables that have input helpers.
  static constexpr int kPileDataId = 3;
  static constexpr int kPileCoordinatesId = 7;

  explicit TProjectTables(QObject* parent = nullptr);
  ~TProjectTables() override;

  // The tables by component name, each with its caption.
  TGridTable* D() const { return tables_[0]; }             // 1 "Soil Properties" (along piles, beside layers)
  TGridTable* TLoadtype() const { return tables_[1]; }     // 2 "Transient Loading Data"
  TGridTable* PileData() const { return tables_[2]; }      // 3 "Pile Data" (pile elements)
  TGridTable* pilecapsoil() const { return tables_[3]; }   // 4 "Side Weakened Soil Parameters" (pile cap)
  TGridTable* Multisoil() const { return tables_[4]; }     // 5 "Soil Layers Below the Foundation"
  TGridTable* MultiElement() const { return tables_[5]; }  // 6 "Multi-Layer Foundation"
  TGridTable* Pilecoord() const { return tables_[6]; }     // 7 "Pile Coordinations"
  TGridTable* Dtransient() const { return tables_[7]; }    // 8 "Load Amplitude" (template of the load histories)
  TGridTable* Trandom() const { return tables_[8]; }       // 9 "Random Loading data"
  TGridTable* Tspectrum() const { return tables_[9]; }     // 10 "Random Spectrum Data" (template of the spectra)
  TGridTable* D1() const { return tables_[10]; }           // 11 "Soil Layer Data" (half-space and stratum)
  TGridTable* MassCal() const { return tables_[11]; }      // 12 "Mass Components including equipment, ..."

  // In identifier order (1 to 12).
  const std::array<TGridTable*, kTableCount>& All() const { return tables_; }

  // Every table and every nested table in it, outer tables first.
  std::vector<TGridTable*> AllWithNested() const;

  // Switches every table to unit system `system` (1..2), converting the
  // real columns by their unit templates.
  void SetUnits(int system);
  // Row count 0, then the unit system, then MinRows rows of default cells.
  void Reset(int system);
  // Every table (nested ones included) with fewer rows than MinRows gets
  // MinRows rows.
  void EnsureMinRows();
  bool Modified() const;
  void ClearModified();
  // Closes the open table windows of the tables (nested ones included).
  void CloseWindows(TCloseReason reason);

  std::vector<TTableSnapshot> Snapshot() const;
  void Restore(const std::vector<TTableSnapshot>& snapshot);

 signals:
  // A table or a table nested in one may have become modified.
  void Edited();

 private:
  std::array<TGridTable*, kTableCount> tables_{};
  // Per table: the table that held its identifier before it (another set's).
  std::array<QPointer<TGridTable>, kTableCount> previousHolders_{};
};

// A new project: the defaults of every field, SI units, every table reset to
// one row of default cells, modified flags cleared.
std::unique_ptr<TProgramData> NewProject(TProjectTables& tables);

// Switches the project and its tables to unit system `system` (clamped into
// 1..2); nothing happens when it is the project's current system.
void SetUnitSystem(TProgramData& data, TProjectTables& tables, int system);

}  // namespace terva::gui
