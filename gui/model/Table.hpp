// Grid tables: the non-visual table component behind every row-oriented
// input of a project (soil layers, pile elements, pile coordinates, load
// histories, spectra, mass components).
//
// A TGridTable owns an ordered list of typed columns (TColumn, the kinds live
// in ColumnTypes.hpp), one cell per row in each, knows its row limits and unit
// system, streams its column definitions ("Col") and can ask for its editing
// window through TTableWindows, which the window layer implements. The table
// is plain data: it needs no display, and the window reaches it through a
// thin item model.
//
// Every failure is raised as a TError carrying the text the user sees.
#pragma once

#include "gui/core/Errors.hpp"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QDataStream;

namespace terva::gui {

// The advance of one line of text on a canvas, in pixels.
using TTextAdvance = std::function<int(const QString&)>;

class TColumn;
class TGridTable;

// Why a table window is closed. User: the user (or the program on the
// user's behalf) closes it; refused while the window holds an entry that is
// not valid. TableGone: the table, or the project whose rows it holds, goes
// away (a new or opened project, a deleted row, the end of the program);
// the window goes with it and an entry in progress is dropped without a
// message.
enum class TCloseReason { User, TableGone };

// The windows of the tables, as the model sees them. The window layer
// implements it and installs it with SetTableWindows; without one, tables
// have no windows and Show does nothing.
class TTableWindows {
 public:
  virtual ~TTableWindows();
  // Opens the window of `table`, or brings it forward when it is open.
  virtual void Open(TGridTable& table) = 0;
  // Closes the window of `table`, if it has one. With TableGone the table
  // may be in its destructor: nothing of it may be read or stored.
  virtual void Close(TGridTable& table, TCloseReason reason) = 0;
  virtual bool IsOpen(const TGridTable& table) const = 0;
};

// Installs the table windows of the program (not owned; null removes them)
// and returns the previous ones.
TTableWindows* SetTableWindows(TTableWindows* windows);
TTableWindows* TableWindows();

// A handle on one cell: a column and a row. Accessors that the column's kind
// does not support fail with "Data of wrong type".
class TData {
 public:
  TData(TColumn* column, int row) : column_(column), row_(row) {}

  long double AsReal() const;
  void SetReal(long double value) const;
  int AsInteger() const;
  void SetInteger(int value) const;
  QString AsText() const;
  // Stores an entry the way the table window does (the column's entry rules).
  void SetText(const QString& text) const;
  // The nested table of a nested-table cell (null when its template is missing).
  TGridTable* Table() const;

  TColumn* Column() const { return column_; }
  int Row() const { return row_; }

 private:
  TColumn* column_;
  int row_;
};

// Registration numbers of the column kinds in the column-definition stream.
enum TColumnClass : int {
  kEnumColumn = 0,
  kIntColumn = 1,
  kFloatColumn = 2,
  kTableColumn = 3,
  kStringColumn = 4,
};

// The base of every column: header lines, visibility, grouping, and the
// virtual operations each kind fills in. Row indices are 0-based; a row
// outside the column fails with "Index out of bounds".
//
// The in-place editors of the window (drop-down lists, buttons) are made by
// the table window from HasInPlaceControls(); the column only says whether
// it has them.
class TColumn {
 public:
  TColumn() = default;
  virtual ~TColumn();
  TColumn(const TColumn&) = delete;
  TColumn& operator=(const TColumn&) = delete;

  // --- Common properties ---------------------------------------------------
  const QStringList& Header() const { return header_; }
  void SetHeader(const QStringList& lines);
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  bool Grouped() const { return grouped_; }
  void SetGrouped(bool grouped) { grouped_ = grouped; }

  TGridTable* Table() const { return table_; }
  // Position among all columns of the table (-1 when not attached).
  int Index() const;
  // The neighbours in the table (null at the ends or when not attached).
  TColumn* Previous() const;
  TColumn* Next() const;
  // Rows of the column's group of `row`, as [first, last].
  std::pair<int, int> GroupOf(int row) const;

  // --- Virtual operations --------------------------------------------------
  virtual int ClassNumber() const = 0;
  // New cells before `position` (the table's rows follow afterwards).
  virtual void InsertCells(int position, int count) = 0;
  virtual void DeleteCell(int position) = 0;
  virtual int CellCount() const = 0;

  virtual int HeaderLineCount() const;
  // A shown header line (a float column adds its unit to the last one).
  virtual QString HeaderLine(int index) const;
  QStringList HeaderLines() const;
  // Widest shown header line on a canvas that measures a line's advance
  // (the table widget's font metrics): the model itself needs no fonts.
  virtual int HeaderWidth(const TTextAdvance& advance) const;

  virtual TGridTable* NestedTable(int row) const;
  virtual long double GetReal(int row) const;
  virtual void SetReal(int row, long double value);
  virtual int GetInteger(int row) const;
  virtual void SetInteger(int row, int value);
  // The object a cell holds (a nested table), if any.
  virtual QObject* CellObject(int row) const;

  virtual QString Text(int row) const = 0;
  // Stores an entry typed by the user; fails with the entry's message and
  // leaves the cell as it was.
  virtual void SetFromText(int row, const QString& text) = 0;
  // Whether the cells are typed into (false for drop-down and button cells).
  virtual bool HasInPlaceControls() const { return false; }

  virtual bool HasChanges() const { return false; }
  virtual void ResetChanges() {}
  virtual void SetUnitSystem(int from, int to);
  // Fails when the column's links to its neighbours are not valid; called
  // before any row is inserted, so that a bad column set changes nothing.
  virtual void CheckLinks() const {}

  // The definition in the column-definition stream (without the class number).
  virtual void WriteDefinition(QDataStream& out) const;
  virtual void ReadDefinition(QDataStream& in);
  // A new, empty column of the same kind (the "create" slot).
  virtual std::unique_ptr<TColumn> CreateEmpty() const = 0;
  // A detached column with the same definition, made through the stream.
  std::unique_ptr<TColumn> Clone() const;

  // A new column of the registered kind `number`, or null.
  static std::unique_ptr<TColumn> Create(int number);

 protected:
  // Fails with "Index out of bounds" for a row outside the column.
  void CheckRow(int row) const;
  // Tells the table that a cell changed (marks it modified, redisplays).
  void NotifyChanged(int row);
  int UnitsOfTable() const;
  // Brackets a change of the column's definition (header, unit template) so
  // that an open window rebuilds its headers.
  void BeginDefinitionChange();
  void EndDefinitionChange();

 private:
  friend class TGridTable;
  TGridTable* table_ = nullptr;
  QStringList header_;
  bool visible_ = true;
  bool grouped_ = false;
};

// The column registry: registration number -> factory.
using TColumnFactory = std::unique_ptr<TColumn> (*)();
void RegisterColumnClass(int number, TColumnFactory factory);
void UnregisterColumnClass(int number);
bool IsColumnClassRegistered(int number);
// The five kinds of ColumnTypes; registered when the module starts.
void RegisterColumnTypes();
// The shutdown step: removes the five kinds again and fails with
// "Column Type list not empty" when anything else is still registered.
void UnregisterColumnTypes();

// Reading and writing the fields of a column definition. Readers fail with
// "Stream read error" on a short or damaged stream.
namespace colstream {
QString ReadString(QDataStream& in);
QStringList ReadStringList(QDataStream& in);
bool ReadBool(QDataStream& in);
int ReadInt(QDataStream& in);
double ReadReal(QDataStream& in);
QList<int> ReadIntList(QDataStream& in);
void WriteString(QDataStream& out, const QString& value);
void WriteStringList(QDataStream& out, const QStringList& value);
void WriteBool(QDataStream& out, bool value);
void WriteInt(QDataStream& out, int value);
void WriteReal(QDataStream& out, double value);
void WriteIntList(QDataStream& out, const QList<int>& value);
}  // namespace colstream

// The table component.
class TGridTable : public QObject {
  Q_OBJECT
  Q_PROPERTY(QString Comments READ Comments WRITE SetComments)
  Q_PROPERTY(int Identifier READ Identifier WRITE SetIdentifier)
  Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
  Q_PROPERTY(int MaxRows READ MaxRows WRITE SetMaxRows)
  Q_PROPERTY(int MinRows READ MinRows WRITE SetMinRows)
  Q_PROPERTY(QString HelpPicture READ HelpPicture WRITE SetHelpPicture)
  Q_PROPERTY(bool HardwiredButton READ HardwiredButton WRITE SetHardwiredButton)
  Q_PROPERTY(int RowGroup READ RowGroup WRITE SetRowGroup)
  Q_PROPERTY(QString TopLeft READ TopLeft WRITE SetTopLeft)

 public:
  // A table whose QObject owner is another table takes that table's unit
  // system; any other starts in English units (1).
  explicit TGridTable(QObject* owner = nullptr);
  ~TGridTable() override;

  // A nested table: a copy of `source` (caption, comments, corner text, row
  // limits and a clone of each column) inside `outer` at 1-based row
  // `position`, with `MinRows` rows and the outer table's unit system.
  static std::unique_ptr<TGridTable> CreateCopy(const TGridTable& source, TGridTable* outer,
                                                int position);

  // --- Published properties ------------------------------------------------
  QString Comments() const { return comments_; }
  void SetComments(const QString& text);
  int Identifier() const { return identifier_; }
  // Another table that has `id` already takes this table's old identifier.
  void SetIdentifier(int id);
  QString Caption() const { return caption_; }
  void SetCaption(const QString& text);
  int MaxRows() const { return maxRows_; }
  void SetMaxRows(int rows);
  int MinRows() const { return minRows_; }
  // Fails with "Value must be greater than 0" for rows < 1, except while
  // loading, where it becomes 1.
  void SetMinRows(int rows);
  // The picture the window shows under the comments: the path of an image
  // (a resource path such as ":/help/soil.png"); empty for none.
  QString HelpPicture() const { return helpPicture_; }
  void SetHelpPicture(const QString& path);
  bool HasHelpPicture() const { return !helpPicture_.isEmpty(); }
  bool HardwiredButton() const { return hardwiredButton_; }
  void SetHardwiredButton(bool on) { hardwiredButton_ = on; }
  int RowGroup() const { return rowGroup_; }
  void SetRowGroup(int rows);
  QString TopLeft() const { return topLeft_; }
  void SetTopLeft(const QString& text);

  // True while the table is read from a window definition.
  bool Loading() const { return loading_; }
  void SetLoading(bool on) { loading_ = on; }

  // --- Rows ----------------------------------------------------------------
  int RowCount() const { return rowCount_; }
  // Drops rows from the end or appends default rows in groups of RowGroup
  // (negative counts as 0); not compared with MinRows or MaxRows.
  void SetRowCount(int rows);
  void AddRows();            // RowGroup rows at the end
  void InsertRows(int row);  // RowGroup rows before the start of row's group
  void DeleteRows(int row);  // the rows of row's group
  int GroupStart(int row) const { return row - row % rowGroup_; }
  // The row label of the window: the 1-based group number.
  int GroupNumber(int row) const { return row / rowGroup_ + 1; }

  // --- Columns -------------------------------------------------------------
  int ColumnCount() const { return static_cast<int>(columns_.size()); }
  TColumn* Column(int index) const;  // "Index out of bounds" outside
  int ColumnIndex(const TColumn* column) const;
  // Attaches a column at the end: it gets the table's row count.
  TColumn* AddColumn(std::unique_ptr<TColumn> column);
  void ClearColumns();
  int VisibleColumnCount() const;
  TColumn* VisibleColumn(int index) const;  // "Index out of bounds" outside
  int VisibleIndexOf(const TColumn* column) const;

  TData Cell(int column, int row) const;
  TData VisibleCell(int column, int row) const;

  // --- Column-definition stream ("Col") ------------------------------------
  void WriteColumns(QDataStream& out) const;
  // Replaces the columns with those of the stream.
  void ReadColumns(QDataStream& in);
  QByteArray ColumnDefinition() const;
  void SetColumnDefinition(const QByteArray& bytes);

  // --- Units ---------------------------------------------------------------
  int Units() const { return units_; }
  // Converts every column from the current system to `system` (clamped into
  // 1..2); nothing when it is the current one.
  void SetUnits(int system);

  // --- Changes -------------------------------------------------------------
  bool Modified() const;
  void SetModified(bool on = true);
  // Clears this table and every nested table.
  void ClearModified();

  // --- Nesting -------------------------------------------------------------
  TGridTable* OuterTable() const { return outer_; }
  int NestPosition() const { return nestPosition_; }
  void SetNestPosition(int position) { nestPosition_ = position; }
  // Identifier of the table this one was copied from (-1 for an original).
  int TemplateIdentifier() const { return templateIdentifier_; }
  // Whether a copy of `source` may be made inside this table without
  // nesting a table within itself.
  bool MayNest(const TGridTable& source) const;
  // The window caption: Caption, a blank, then a blank and the 1-based row
  // number per level of nesting, outermost first.
  QString WindowCaption() const;

  // --- Window --------------------------------------------------------------
  // Opens or brings forward the table's window through the installed table
  // windows (nothing without a visible column). The table first grows to
  // MinRows rows.
  void Show();
  bool WindowOpen() const;
  // Closes the table's window, if it has one.
  void CloseWindow(TCloseReason reason);

  // --- Owner callback ------------------------------------------------------
  // Called after every change of row count, unit system or column set.
  void SetChangeCallback(std::function<void()> callback) { changeCallback_ = std::move(callback); }

  // --- Program-wide list ---------------------------------------------------
  static TGridTable* Find(int identifier);
  static const std::vector<TGridTable*>& AllTables();

  // Called by a column for each changed cell.
  void CellChanged(TColumn* column, int row);

 signals:
  // Owner events (a cell that is not itself a grid table asks through them).
  void OnResize();
  void OnButtonClick(int column, int row);
  void OnGetButtonCaption(int column, int row, QString* caption);
  void OnGetChanged(int column, int row, bool* changed);
  void OnHide();
  void OnInitRow(int column, int row);
  void OnResetChanged(int column, int row);
  void OnSetRow(int column, int row);
  void OnSetUnits(int column, int row, int units);

  // Notifications for the window's item model.
  void RowsAboutToBeInserted(int first, int last);
  void RowsInserted(int first, int last);
  void RowsAboutToBeRemoved(int first, int last);
  void RowsRemoved(int first, int last);
  void CellValueChanged(int column, int row);
  void ColumnsAboutToChange();
  void ColumnsChanged();
  void UnitsChanged();
  void PropertiesChanged();
  // After every change of row count, unit system or column set.
  void Changed();
  // After any change that may make the table (or a table nested in it)
  // modified; sent by the table and every table it is nested in.
  void Edited();

 private:
  friend class TColumn;
  void InsertRowsAt(int position, int count);
  void RemoveRowsAt(int position, int count);
  void AttachColumn(std::unique_ptr<TColumn> column);
  void NotifyChanged();
  void NotifyEdited();
  void ColumnDefinitionChanging();
  void ColumnDefinitionChanged();
  static int NextIdentifier();

  QString comments_;
  int identifier_ = 0;
  QString caption_;
  int maxRows_ = 0;
  int minRows_ = 1;
  QString helpPicture_;
  bool hardwiredButton_ = false;
  int rowGroup_ = 1;
  QString topLeft_;
  bool loading_ = false;

  int rowCount_ = 0;
  int units_ = 1;
  bool modified_ = false;
  TGridTable* outer_ = nullptr;
  int nestPosition_ = 0;
  int templateIdentifier_ = -1;
  std::vector<std::unique_ptr<TColumn>> columns_;
  std::function<void()> changeCallback_;
  int structural_ = 0;   // > 0 while rows are inserted or removed
  bool destroying_ = false;
};

}  // namespace terva::gui
