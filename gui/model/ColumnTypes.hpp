// The five column kinds of the grid tables, with their registration numbers:
// 0 choice (TEnumColumn), 1 integer (TIntColumn), 2 real (TFloatColumn),
// 3 nested table (TTableColumn), 4 text (TStringColumn).
#pragma once

#include "gui/model/Table.hpp"

#include <QList>
#include <QString>
#include <QStringList>

#include <climits>
#include <memory>
#include <vector>

namespace terva::gui {

// A choice column: the cell holds the 1-based position of the chosen item
// (0 when none is chosen); the window edits it with a drop-down list.
class TEnumColumn : public TColumn {
 public:
  TEnumColumn() = default;
  TEnumColumn(const QStringList& header, const QStringList& items);

  const QStringList& Items() const { return items_; }
  void SetItems(const QStringList& items) { items_ = items; }

  int ClassNumber() const override { return kEnumColumn; }
  void InsertCells(int position, int count) override;
  void DeleteCell(int position) override;
  int CellCount() const override { return static_cast<int>(cells_.size()); }
  int GetInteger(int row) const override;
  void SetInteger(int row, int value) override;
  QString Text(int row) const override;
  void SetFromText(int row, const QString& text) override;
  bool HasInPlaceControls() const override { return true; }
  void WriteDefinition(QDataStream& out) const override;
  void ReadDefinition(QDataStream& in) override;
  std::unique_ptr<TColumn> CreateEmpty() const override { return std::make_unique<TEnumColumn>(); }

 private:
  QStringList items_;
  std::vector<int> cells_;
};

// An integer column with a default for new cells and bounds for entries.
class TIntColumn : public TColumn {
 public:
  TIntColumn() = default;
  TIntColumn(const QStringList& header, int defaultValue, int minimum = INT_MIN, int maximum = INT_MAX);

  int DefaultValue() const { return default_; }
  int Minimum() const { return min_; }
  int Maximum() const { return max_; }
  void SetDefaultValue(int value) { default_ = value; }
  void SetBounds(int minimum, int maximum);

  int ClassNumber() const override { return kIntColumn; }
  void InsertCells(int position, int count) override;
  void DeleteCell(int position) override;
  int CellCount() const override { return static_cast<int>(cells_.size()); }
  int GetInteger(int row) const override;
  void SetInteger(int row, int value) override;
  QString Text(int row) const override;
  // Entries must be whole and within the bounds; values set through
  // SetInteger are taken as they come.
  void SetFromText(int row, const QString& text) override;
  void WriteDefinition(QDataStream& out) const override;
  void ReadDefinition(QDataStream& in) override;
  std::unique_ptr<TColumn> CreateEmpty() const override { return std::make_unique<TIntColumn>(); }

 private:
  int default_ = 0;
  int min_ = INT_MIN;
  int max_ = INT_MAX;
  std::vector<int> cells_;
};

// A real column with a unit template, a default for new cells and the
// top-depth link: a top-depth column holds the top of a layer and the next
// column its bottom, and the two are kept contiguous from row to row.
class TFloatColumn : public TColumn {
 public:
  TFloatColumn() = default;
  TFloatColumn(const QStringList& header, const QString& unitTemplate = QString(),
               long double defaultValue = 0.0L, bool topDepth = false);

  bool TopDepth() const { return topDepth_; }
  void SetTopDepth(bool on) { topDepth_ = on; }
  QString UnitTemplate() const { return unitTemplate_; }
  void SetUnitTemplate(const QString& unitTemplate);
  long double DefaultValue() const { return default_; }
  void SetDefaultValue(long double value) { default_ = value; }

  int ClassNumber() const override { return kFloatColumn; }
  void InsertCells(int position, int count) override;
  void DeleteCell(int position) override;
  int CellCount() const override { return static_cast<int>(cells_.size()); }
  QString HeaderLine(int index) const override;
  long double GetReal(int row) const override;
  void SetReal(int row, long double value) override;
  QString Text(int row) const override;
  void SetFromText(int row, const QString& text) override;
  void SetUnitSystem(int from, int to) override;
  void CheckLinks() const override;
  void WriteDefinition(QDataStream& out) const override;
  void ReadDefinition(QDataStream& in) override;
  std::unique_ptr<TColumn> CreateEmpty() const override { return std::make_unique<TFloatColumn>(); }

 private:
  // The bottom-depth column of a top-depth column (null when there is no
  // next column); fails when the next column is not a real column.
  TFloatColumn* BottomColumn() const;
  // The previous column when it is a top-depth column.
  TFloatColumn* TopColumnBefore() const;

  bool topDepth_ = false;
  QString unitTemplate_;
  long double default_ = 0.0L;
  std::vector<long double> cells_;
};

// A column of nested tables, each a copy of a template table found by
// Identifier. When the table's first column is a choice column, the template
// of a row is that of the item chosen in the row.
class TTableColumn : public TColumn {
 public:
  TTableColumn() = default;
  // One template for every row (or, under a choice column, for every item of
  // a table with HardwiredButton; otherwise item k uses identifier k).
  TTableColumn(const QStringList& header, int templateIdentifier);
  // One template per item of the first column.
  TTableColumn(const QStringList& header, const QList<int>& itemTemplates);

  int TemplateIdentifier() const { return templateId_; }
  const QList<int>& ItemTemplates() const { return itemTemplates_; }
  // The template identifier that row `row` uses now.
  int TemplateFor(int row) const;

  int ClassNumber() const override { return kTableColumn; }
  void InsertCells(int position, int count) override;
  void DeleteCell(int position) override;
  int CellCount() const override { return static_cast<int>(cells_.size()); }
  TGridTable* NestedTable(int row) const override;
  QObject* CellObject(int row) const override;
  // "%d: %s": the 1-based row number and the nested table's caption.
  QString Text(int row) const override;
  void SetFromText(int row, const QString& text) override;
  bool HasInPlaceControls() const override { return true; }
  bool HasChanges() const override;
  void ResetChanges() override;
  void SetUnitSystem(int from, int to) override;
  void WriteDefinition(QDataStream& out) const override;
  void ReadDefinition(QDataStream& in) override;
  std::unique_ptr<TColumn> CreateEmpty() const override { return std::make_unique<TTableColumn>(); }

  // The choice in `row` of the first column changed: a row whose template
  // changes with it gets a fresh copy of the new template.
  void ChoiceChanged(int row);

 private:
  std::unique_ptr<TGridTable> MakeCopy(int row) const;
  void Renumber();

  int templateId_ = 0;
  QList<int> itemTemplates_;  // from the per-item form of the stream
  std::vector<std::unique_ptr<TGridTable>> cells_;
};

// A text column: entries are stored as typed.
class TStringColumn : public TColumn {
 public:
  TStringColumn() = default;
  TStringColumn(const QStringList& header, const QString& defaultText);

  QString DefaultText() const { return default_; }
  void SetDefaultText(const QString& text) { default_ = text; }
  // The real that ends the definition; kept and written back, not used.
  double Extra() const { return extra_; }
  void SetExtra(double value) { extra_ = value; }

  int ClassNumber() const override { return kStringColumn; }
  void InsertCells(int position, int count) override;
  void DeleteCell(int position) override;
  int CellCount() const override { return static_cast<int>(cells_.size()); }
  QString Text(int row) const override;
  void SetFromText(int row, const QString& text) override;
  void WriteDefinition(QDataStream& out) const override;
  void ReadDefinition(QDataStream& in) override;
  std::unique_ptr<TColumn> CreateEmpty() const override { return std::make_unique<TStringColumn>(); }

 private:
  QString default_;
  double extra_ = 0.0;
  std::vector<QString> cells_;
};

}  // namespace terva::gui
