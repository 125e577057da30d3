// Grid table component without a window: rows and groups, linked layer
// depths, entries, units, the column-definition stream, identifiers, nested
// tables and the window's item model. Runs without a display.
#include "gui/model/ColumnTypes.hpp"
#include "gui/model/Table.hpp"
#include "gui/widgets/TableModel.hpp"

#include <QAbstractItemModelTester>
#include <QDataStream>
#include <QIODevice>
#include <QLocale>
#include <QSet>
#include <QtTest>

#include <cmath>
#include <functional>

using namespace terva::gui;

namespace {

constexpr double kFeetPerMetre = 3.280839895;
constexpr double kPoundsPerKilonewton = 224.8089237;

// Table windows that only note what the tables ask of them.
class TWindowLog : public TTableWindows {
 public:
  void Open(TGridTable& table) override {
    log << QStringLiteral("open %1 rows").arg(table.RowCount());
    open.insert(&table);
  }
  void Close(TGridTable& table, TCloseReason reason) override {
    log << (reason == TCloseReason::User ? QStringLiteral("close") : QStringLiteral("gone"));
    open.remove(&table);
  }
  bool IsOpen(const TGridTable& table) const override { return open.contains(&table); }

  QStringList log;
  QSet<const TGridTable*> open;
};

QString ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const TError& error) {
    return error.Message();
  }
  return QString();
}

// Layers as (top, bottom) in a top-depth column and its bottom column, with a
// third, unlinked column.
std::unique_ptr<TGridTable> LayerTable(const QList<QPair<double, double>>& layers) {
  auto table = std::make_unique<TGridTable>();
  table->AddColumn(std::make_unique<TFloatColumn>(QStringList{"Top"}, "L2", 0.0L, true));
  table->AddColumn(std::make_unique<TFloatColumn>(QStringList{"Bottom"}, "L2"));
  table->AddColumn(std::make_unique<TFloatColumn>(QStringList{"Vs"}, "L2/SEC", 7.0L));
  table->SetRowCount(layers.size());
  for (int row = 0; row < layers.size(); ++row) {
    table->Cell(0, row).SetReal(layers[row].first);
    table->Cell(1, row).SetReal(layers[row].second);
  }
  return table;
}

QList<QPair<double, double>> Layers(const TGridTable& table) {
  QList<QPair<double, double>> layers;
  for (int row = 0; row < table.RowCount(); ++row)
    layers.append({double(table.Cell(0, row).AsReal()), double(table.Cell(1, row).AsReal())});
  return layers;
}

QByteArray Bytes(const std::function<void(QDataStream&)>& write) {
  QByteArray bytes;
  QDataStream out(&bytes, QIODevice::WriteOnly);
  out.setVersion(QDataStream::Qt_6_0);
  write(out);
  return bytes;
}

}  // namespace

class TableTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QLocale::setDefault(QLocale::c()); }

  void rowOperations_data() {
    QTest::addColumn<int>("group");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("operation");
    QTest::addColumn<int>("argument");
    QTest::addColumn<QList<int>>("expected");  // row markers, -1 for new rows
    QTest::newRow("insert single") << 1 << 3 << "insert" << 1 << QList<int>{0, -1, 1, 2};
    QTest::newRow("insert before group start") << 2 << 6 << "insert" << 3 << QList<int>{0, 1, -1, -1, 2, 3, 4, 5};
    QTest::newRow("delete whole group") << 2 << 6 << "delete" << 3 << QList<int>{0, 1, 4, 5};
    QTest::newRow("delete short last group") << 2 << 5 << "delete" << 4 << QList<int>{0, 1, 2, 3};
    QTest::newRow("add a group") << 2 << 4 << "add" << 0 << QList<int>{0, 1, 2, 3, -1, -1};
    QTest::newRow("grow in groups to exact count") << 3 << 2 << "count" << 7 << QList<int>{0, 1, -1, -1, -1, -1, -1};
    QTest::newRow("shrink from end") << 1 << 4 << "count" << 2 << QList<int>{0, 1};
    QTest::newRow("negative count") << 1 << 3 << "count" << -5 << QList<int>{};
  }
  void rowOperations() {
    QFETCH(int, group);
    QFETCH(int, rows);
    QFETCH(QString, operation);
    QFETCH(int, argument);
    QFETCH(QList<int>, expected);
    TGridTable table;
    table.SetRowGroup(group);
    table.AddColumn(std::make_unique<TIntColumn>(QStringList{"Marker"}, -1));
    table.SetRowCount(rows);
    for (int row = 0; row < rows; ++row) table.Cell(0, row).SetInteger(row);
    if (operation == "insert") table.InsertRows(argument);
    if (operation == "delete") table.DeleteRows(argument);
    if (operation == "add") table.AddRows();
    if (operation == "count") table.SetRowCount(argument);
    QList<int> markers;
    for (int row = 0; row < table.RowCount(); ++row) markers.append(table.Cell(0, row).AsInteger());
    QCOMPARE(markers, expected);
    QCOMPARE(table.Column(0)->CellCount(), table.RowCount());
  }

  void layerDepths_data() {
    using Layers = QList<QPair<double, double>>;
    QTest::addColumn<QString>("operation");
    QTest::addColumn<int>("row");
    QTest::addColumn<double>("value");
    QTest::addColumn<Layers>("expected");
    QTest::newRow("delete middle layer") << "delete" << 1 << 0.0 << Layers{{0, 2}, {2, 9}};
    QTest::newRow("delete last layer") << "delete" << 2 << 0.0 << Layers{{0, 2}, {2, 5}};
    QTest::newRow("insert between") << "insert" << 1 << 0.0 << Layers{{0, 2}, {2, 2}, {2, 5}, {5, 9}};
    QTest::newRow("append continues") << "add" << 0 << 0.0 << Layers{{0, 2}, {2, 5}, {5, 9}, {9, 0}};
    QTest::newRow("top moves bottom above") << "top" << 1 << 3.0 << Layers{{0, 3}, {3, 5}, {5, 9}};
    QTest::newRow("bottom moves top below") << "bottom" << 1 << 6.0 << Layers{{0, 2}, {2, 6}, {6, 9}};
    QTest::newRow("first top alone") << "top" << 0 << 1.0 << Layers{{1, 2}, {2, 5}, {5, 9}};
  }
  void layerDepths() {
    using Layers = QList<QPair<double, double>>;
    QFETCH(QString, operation);
    QFETCH(int, row);
    QFETCH(double, value);
    QFETCH(Layers, expected);
    auto table = LayerTable({{0, 2}, {2, 5}, {5, 9}});
    if (operation == "delete") table->DeleteRows(row);
    if (operation == "insert") table->InsertRows(row);
    if (operation == "add") table->AddRows();
    if (operation == "top") table->Cell(0, row).SetReal(value);
    if (operation == "bottom") table->Cell(1, row).SetReal(value);
    QCOMPARE(::Layers(*table), expected);
  }

  void topDepthNeedsRealNextColumn() {
    const QString message = "If column if a topdepth then the next column must be a float column";
    TGridTable table;
    table.AddColumn(std::make_unique<TFloatColumn>(QStringList{"Top"}, "L2", 0.0L, true));
    QCOMPARE(ErrorOf([&] { table.AddColumn(std::make_unique<TIntColumn>(QStringList{"N"}, 0)); }), message);
    QCOMPARE(table.ColumnCount(), 1);

    const QByteArray bytes = Bytes([](QDataStream& out) {
      out << qint32(2) << qint32(kFloatColumn);
      TFloatColumn(QStringList{"Top"}, "L2", 0.0L, true).WriteDefinition(out);
      out << qint32(kIntColumn);
      TIntColumn(QStringList{"N"}, 0).WriteDefinition(out);
    });
    TGridTable target;
    QCOMPARE(ErrorOf([&] { target.SetColumnDefinition(bytes); }),
             "Error occured when creating column 1: " + message);
    QCOMPARE(target.ColumnCount(), 1);
  }

  void entries_data() {
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QString>("stored");
    // Columns: 0 real (1.5), 1 integer 0..10 (4), 2 choice of three (2), 3 text ("old").
    QTest::newRow("expression") << 0 << "2*3" << "" << "6";
    QTest::newRow("not a number") << 0 << "abc" << "abc is not a valid number." << "1.5";
    QTest::newRow("blank real") << 0 << "" << "Entry cannot be blank." << "1.5";
    QTest::newRow("blanks only") << 0 << "   " << "Entry cannot be blank." << "1.5";
    QTest::newRow("integer") << 1 << "3+4" << "" << "7";
    QTest::newRow("fraction") << 1 << "2.5" << "Entry must be an integer." << "4";
    QTest::newRow("above maximum") << 1 << "12" << "Entry must be between 0 and 10." << "4";
    QTest::newRow("integer garbage") << 1 << "x1" << "x1 is not a valid number." << "4";
    QTest::newRow("choice") << 2 << "3" << "" << "3";
    QTest::newRow("choice fraction") << 2 << "1.5" << "Value must be an integer." << "2";
    QTest::newRow("no such item") << 2 << "4" << "Entry must be between 0 and 3." << "2";
    QTest::newRow("text") << 3 << "Pile A" << "" << "Pile A";
    QTest::newRow("blank text") << 3 << "" << "Entry cannot be blank." << "old";
  }
  void entries() {
    QFETCH(int, column);
    QFETCH(QString, text);
    QFETCH(QString, error);
    QFETCH(QString, stored);
    TGridTable table;
    table.AddColumn(std::make_unique<TFloatColumn>(QStringList{"Real"}));
    table.AddColumn(std::make_unique<TIntColumn>(QStringList{"Int"}, 4, 0, 10));
    table.AddColumn(std::make_unique<TEnumColumn>(QStringList{"Kind"}, QStringList{"a", "b", "c"}));
    table.AddColumn(std::make_unique<TStringColumn>(QStringList{"Name"}, "old"));
    table.SetRowCount(1);
    table.Cell(0, 0).SetReal(1.5L);
    table.Cell(2, 0).SetInteger(2);
    table.ClearModified();
    QCOMPARE(ErrorOf([&] { table.Cell(column, 0).SetText(text); }), error);
    QCOMPARE(table.Cell(column, 0).AsText(), stored);
    QCOMPARE(table.Modified(), error.isEmpty());
  }

  void wrongKindOfAccess() {
    TGridTable table;
    table.AddColumn(std::make_unique<TFloatColumn>(QStringList{"Real"}));
    table.AddColumn(std::make_unique<TIntColumn>(QStringList{"Int"}, 0));
    table.AddColumn(std::make_unique<TStringColumn>(QStringList{"Name"}, "x"));
    table.AddColumn(std::make_unique<TTableColumn>(QStringList{"Nested"}, -99));
    table.SetRowCount(1);
    const QString wrong = "Data of wrong type";
    QCOMPARE(ErrorOf([&] { table.Cell(0, 0).AsInteger(); }), wrong);
    QCOMPARE(ErrorOf([&] { table.Cell(0, 0).Table(); }), wrong);
    QCOMPARE(ErrorOf([&] { table.Cell(1, 0).SetReal(1); }), wrong);
    QCOMPARE(ErrorOf([&] { table.Cell(2, 0).AsReal(); }), wrong);
    QCOMPARE(ErrorOf([&] { table.Cell(3, 0).SetInteger(1); }), wrong);
    QCOMPARE(ErrorOf([&] { table.Cell(3, 0).SetText("1"); }), wrong);
    QCOMPARE(ErrorOf([&] { table.Cell(0, 1); }), "Index out of bounds");

    table.Column(1)->SetVisible(false);
    QCOMPARE(table.VisibleColumnCount(), 3);
    QCOMPARE(table.VisibleColumn(1), table.Column(2));
    QCOMPARE(ErrorOf([&] { table.VisibleCell(3, 0); }), "Index out of bounds");
    QCOMPARE(ErrorOf([&] { table.VisibleColumn(-1); }), "Index out of bounds");
  }

  void unitSwitch_data() {
    QTest::addColumn<QString>("unitTemplate");
    QTest::addColumn<double>("english");
    QTest::addColumn<double>("si");
    QTest::addColumn<QString>("englishHeader");
    QTest::addColumn<QString>("siHeader");
    QTest::newRow("length") << "L2" << 10.0 << 10.0 / kFeetPerMetre << "Depth (ft)  " << "Depth (m)  ";
    QTest::newRow("unit weight") << "F/L2^3" << 120.0
                                 << 120.0 / kPoundsPerKilonewton * std::pow(kFeetPerMetre, 3)
                                 << "Depth (lbs/ft^3)  " << "Depth (kN/m^3)  ";
    QTest::newRow("dimensionless") << "" << 0.35 << 0.35 << "Depth" << "Depth";
  }
  void unitSwitch() {
    QFETCH(QString, unitTemplate);
    QFETCH(double, english);
    QFETCH(double, si);
    QFETCH(QString, englishHeader);
    QFETCH(QString, siHeader);
    TGridTable table;
    auto* column = table.AddColumn(std::make_unique<TFloatColumn>(QStringList{"Depth"}, unitTemplate));
    table.SetRowCount(2);
    table.Cell(0, 1).SetReal(english);
    QCOMPARE(column->HeaderLines().last(), englishHeader);

    table.SetUnits(2);
    QVERIFY(std::fabs(double(table.Cell(0, 1).AsReal()) - si) <= 1e-12 * std::fabs(si));
    QCOMPARE(column->HeaderLines().last(), siHeader);
    const long double once = table.Cell(0, 1).AsReal();
    table.SetUnits(2);
    QCOMPARE(table.Cell(0, 1).AsReal(), once);

    table.SetUnits(1);
    QVERIFY(std::fabs(double(table.Cell(0, 1).AsReal()) - english) <= 1e-12 * std::fabs(english));
    QCOMPARE(double(table.Cell(0, 0).AsReal()), 0.0);
  }

  void streamRoundTripOfEveryKind() {
    TGridTable source;
    source.AddColumn(std::make_unique<TEnumColumn>(QStringList{"Load type"}, QStringList{"X", "Y"}));
    source.AddColumn(std::make_unique<TIntColumn>(QStringList{"Count"}, 3, -2, 40));
    source.AddColumn(std::make_unique<TFloatColumn>(QStringList{"Layer", "depth, "}, "L2", 2.5L, true));
    source.AddColumn(std::make_unique<TFloatColumn>(QStringList{"Bottom"}, "F/L2^3", -1.0L));
    source.AddColumn(std::make_unique<TTableColumn>(QStringList{"Load amplitude"}, 8));
    source.AddColumn(std::make_unique<TTableColumn>(QStringList{"Per item"}, QList<int>{8, 10}));
    auto text = std::make_unique<TStringColumn>(QStringList{"Name"}, "pile");
    text->SetExtra(0.25);
    text->SetVisible(false);
    text->SetGrouped(true);
    source.AddColumn(std::move(text));
    const QByteArray bytes = source.ColumnDefinition();

    TGridTable copy;
    copy.SetRowCount(3);
    copy.SetColumnDefinition(bytes);
    QCOMPARE(copy.ColumnDefinition(), bytes);
    QCOMPARE(copy.ColumnCount(), 7);
    QCOMPARE(copy.Column(2)->CellCount(), 3);
    auto* depth = dynamic_cast<TFloatColumn*>(copy.Column(2));
    QVERIFY(depth != nullptr && depth->TopDepth());
    QCOMPARE(depth->UnitTemplate(), QString("L2"));
    QCOMPARE(copy.Cell(2, 0).AsReal(), 2.5L);
    QCOMPARE(copy.Cell(1, 2).AsInteger(), 3);
    QCOMPARE(dynamic_cast<TTableColumn*>(copy.Column(5))->ItemTemplates(), (QList<int>{8, 10}));
    QCOMPARE(copy.Cell(6, 1).AsText(), QString("pile"));
    QVERIFY(!copy.Column(6)->Visible() && copy.Column(6)->Grouped());
    QCOMPARE(copy.Column(6)->Clone()->HeaderLines(), QStringList{"Name"});
  }

  void streamFloatWithoutDefault() {
    const QByteArray bytes = Bytes([](QDataStream& out) {
      out << qint32(1) << qint32(kFloatColumn);
      colstream::WriteStringList(out, {"Layer", "depth, "});
      out << true << false;  // visible, grouped
      out << false;          // top depth
      out << QString("L2");  // the unit template alone
    });
    TGridTable table;
    table.SetRowCount(2);
    table.SetColumnDefinition(bytes);
    const auto* column = dynamic_cast<TFloatColumn*>(table.Column(0));
    QVERIFY(column != nullptr);
    QCOMPARE(column->UnitTemplate(), QString("L2"));
    QCOMPARE(column->DefaultValue(), 0.0L);
    QCOMPARE(table.Cell(0, 1).AsReal(), 0.0L);
  }

  void streamErrors_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("error");
    QTest::addColumn<int>("columnsLeft");
    const auto floatColumn = [](QDataStream& out) {
      out << qint32(kFloatColumn);
      TFloatColumn(QStringList{"A"}, "L2").WriteDefinition(out);
    };
    QTest::newRow("empty") << QByteArray() << "Error reading column count" << 1;
    QTest::newRow("negative count") << Bytes([](QDataStream& out) { out << qint32(-3); })
                                    << "Error reading column count" << 1;
    QTest::newRow("unknown class") << Bytes([](QDataStream& out) { out << qint32(1) << qint32(99); })
                                   << "Error Column Class not defined" << 0;
    QTest::newRow("cut short") << Bytes([&](QDataStream& out) {
      out << qint32(2);
      floatColumn(out);
      out << qint32(kEnumColumn) << quint32(1);
    }) << "Error occured when creating column 1: Stream read error" << 1;
    QTest::newRow("absurd list length") << Bytes([](QDataStream& out) {
      out << qint32(1) << qint32(kTableColumn) << quint32(0xFFFFFFF0u);
    }) << "Error occured when creating column 0: Stream read error" << 0;
    QTest::newRow("missing class number") << Bytes([](QDataStream& out) { out << qint32(1); })
                                          << "Error occured when creating column 0: Stream read error" << 0;
  }
  void streamErrors() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, error);
    QFETCH(int, columnsLeft);
    TGridTable table;
    table.AddColumn(std::make_unique<TFloatColumn>(QStringList{"Old"}));
    table.SetRowCount(2);
    QCOMPARE(ErrorOf([&] { table.SetColumnDefinition(bytes); }), error);
    QCOMPARE(table.ColumnCount(), columnsLeft);
    for (int c = 0; c < table.ColumnCount(); ++c) QCOMPARE(table.Column(c)->CellCount(), 2);
  }

  void identifiers() {
    auto first = std::make_unique<TGridTable>();
    auto second = std::make_unique<TGridTable>();
    QVERIFY(first->Identifier() != second->Identifier());
    QCOMPARE(TGridTable::Find(second->Identifier()), second.get());

    const int firstId = first->Identifier();
    const int secondId = second->Identifier();
    first->SetIdentifier(secondId);
    QCOMPARE(first->Identifier(), secondId);
    QCOMPARE(second->Identifier(), firstId);

    // A counter value already taken by hand is skipped.
    second->SetIdentifier(secondId + 1);
    TGridTable third;
    QVERIFY(third.Identifier() != first->Identifier() && third.Identifier() != second->Identifier());

    TGridTable* gone = second.get();
    const int goneId = gone->Identifier();
    second.reset();
    QVERIFY(!TGridTable::AllTables().empty());
    QVERIFY(std::find(TGridTable::AllTables().begin(), TGridTable::AllTables().end(), gone) ==
            TGridTable::AllTables().end());
    QCOMPARE(TGridTable::Find(goneId), nullptr);
  }

  void minimumRows() {
    TGridTable table;
    QCOMPARE(ErrorOf([&] { table.SetMinRows(0); }), "Value must be greater than 0");
    QCOMPARE(table.MinRows(), 1);
    table.SetLoading(true);
    table.SetMinRows(-4);
    QCOMPARE(table.MinRows(), 1);
  }

  void nestedTables() {
    TGridTable amplitude;
    amplitude.SetCaption("Load Amplitude");
    amplitude.SetTopLeft("Number");
    amplitude.SetMinRows(2);
    amplitude.AddColumn(std::make_unique<TFloatColumn>(QStringList{"Load Amplitude"}, "F"));
    TGridTable spectrum;
    spectrum.SetCaption("Random Spectrum Data");
    spectrum.AddColumn(std::make_unique<TFloatColumn>(QStringList{"Spectrum Data"}, "F"));

    TGridTable loads;
    loads.SetCaption("Transient Loading Data");
    loads.SetHardwiredButton(true);
    loads.SetUnits(2);
    loads.AddColumn(std::make_unique<TEnumColumn>(QStringList{"Load type"}, QStringList{"X", "Y", "Z"}));
    loads.AddColumn(std::make_unique<TTableColumn>(QStringList{"Load amplitude"}, amplitude.Identifier()));
    loads.SetRowCount(2);

    TGridTable* nested = loads.Cell(1, 1).Table();
    QVERIFY(nested != nullptr && nested != &amplitude);
    QCOMPARE(nested->Caption(), QString("Load Amplitude"));
    QCOMPARE(nested->TopLeft(), QString("Number"));
    QCOMPARE(nested->RowCount(), 2);
    QCOMPARE(nested->Units(), 2);
    QCOMPARE(loads.Cell(1, 1).AsText(), QString("2: Load Amplitude"));
    QCOMPARE(nested->WindowCaption(), QString("Load Amplitude  2"));

    // Nested values follow the outer table's units and changed state.
    QVERIFY(!loads.Modified());
    nested->Cell(0, 0).SetReal(1.0L);
    QVERIFY(loads.Modified());
    loads.SetUnits(1);
    QVERIFY(std::fabs(double(nested->Cell(0, 0).AsReal()) - kPoundsPerKilonewton) < 1e-9);
    loads.ClearModified();
    QVERIFY(!nested->Modified());

    // Deleting row 1 makes the second nested table the first.
    loads.DeleteRows(0);
    QCOMPARE(loads.Cell(1, 0).Table(), nested);
    QCOMPARE(nested->WindowCaption(), QString("Load Amplitude  1"));

    // Without HardwiredButton item k uses template k; a new choice brings a
    // copy of its template.
    amplitude.SetIdentifier(1);
    spectrum.SetIdentifier(2);
    loads.SetHardwiredButton(false);
    loads.Cell(0, 0).SetInteger(2);
    QCOMPARE(loads.Cell(1, 0).Table()->Caption(), QString("Random Spectrum Data"));
    QCOMPARE(loads.Cell(1, 0).Table()->Units(), 1);

    // Per-item templates from the list form.
    TGridTable perItem;
    perItem.AddColumn(std::make_unique<TEnumColumn>(QStringList{"Kind"}, QStringList{"A", "B"}));
    perItem.AddColumn(std::make_unique<TTableColumn>(QStringList{"Data"}, QList<int>{2, 1}));
    perItem.SetRowCount(1);
    QCOMPARE(perItem.Cell(1, 0).Table()->Caption(), QString("Random Spectrum Data"));
    perItem.Cell(0, 0).SetInteger(2);
    QCOMPARE(perItem.Cell(1, 0).Table()->Caption(), QString("Load Amplitude"));
  }

  void tableNestedInItself() {
    TGridTable table;
    table.SetCaption("Self");
    table.AddColumn(std::make_unique<TFloatColumn>(QStringList{"A"}));
    table.AddColumn(std::make_unique<TTableColumn>(QStringList{"Again"}, table.Identifier()));
    table.SetRowCount(2);
    QCOMPARE(table.Cell(1, 0).Table(), nullptr);
    QCOMPARE(table.Cell(1, 1).AsText(), QString("2: "));

    TGridTable outer;
    outer.AddColumn(std::make_unique<TTableColumn>(QStringList{"Inner"}, table.Identifier()));
    outer.SetRowCount(1);
    TGridTable* copy = outer.Cell(0, 0).Table();
    QVERIFY(copy != nullptr);
    QCOMPARE(copy->RowCount(), 1);
    QCOMPARE(copy->Cell(1, 0).Table(), nullptr);
  }

  void registryShutdown() {
    RegisterColumnClass(7, [] { return std::unique_ptr<TColumn>(new TStringColumn); });
    QCOMPARE(ErrorOf([] { UnregisterColumnTypes(); }), "Column Type list not empty");
    UnregisterColumnClass(7);
    QCOMPARE(ErrorOf([] { UnregisterColumnTypes(); }), QString());
    TGridTable table;
    const QByteArray bytes = Bytes([](QDataStream& out) { out << qint32(1) << qint32(kFloatColumn); });
    QCOMPARE(ErrorOf([&] { table.SetColumnDefinition(bytes); }), "Error Column Class not defined");
    RegisterColumnTypes();
    QVERIFY(IsColumnClassRegistered(kStringColumn));
  }

  // A table asks the installed windows for its window: Show grows it to
  // MinRows first and needs a visible column; a table that goes tells them.
  void windowsAreAskedThroughTheInterface() {
    TWindowLog windows;
    TTableWindows* previous = SetTableWindows(&windows);
    {
      TGridTable empty;
      empty.Show();  // no visible column: no window
      TGridTable table;
      table.AddColumn(std::make_unique<TFloatColumn>(QStringList{"Vs"}, "L2/SEC"));
      table.SetMinRows(3);
      table.Show();
      QVERIFY(table.WindowOpen());
      table.CloseWindow(TCloseReason::User);
      QVERIFY(!table.WindowOpen());
      table.Show();
      windows.log.clear();
    }
    QCOMPARE(windows.log, (QStringList{"gone", "gone"}));  // the table, then the empty one
    SetTableWindows(previous);
    TGridTable alone;
    alone.AddColumn(std::make_unique<TFloatColumn>(QStringList{"Vs"}, "L2/SEC"));
    alone.Show();  // without table windows nothing opens
    QVERIFY(!alone.WindowOpen());
  }

  void ownerCallback() {
    TGridTable table;
    int calls = 0;
    table.SetChangeCallback([&] { ++calls; });
    table.AddColumn(std::make_unique<TFloatColumn>(QStringList{"A"}, "L2"));
    QCOMPARE(calls, 1);
    table.SetRowCount(3);
    QCOMPARE(calls, 2);
    table.SetRowCount(3);
    table.Cell(0, 0).SetReal(2);
    QCOMPARE(calls, 2);
    table.SetUnits(2);
    table.SetUnits(2);
    QCOMPARE(calls, 3);
    table.DeleteRows(1);
    QCOMPARE(calls, 4);
  }

  void model() {
    TGridTable table;
    table.SetRowGroup(2);
    table.AddColumn(std::make_unique<TFloatColumn>(QStringList{"Layer", "depth, "}, "L2", 0.0L, true));
    table.AddColumn(std::make_unique<TFloatColumn>(QStringList{"Bottom"}, "L2"));
    table.AddColumn(std::make_unique<TStringColumn>(QStringList{"Hidden"}, "h"));
    table.AddColumn(std::make_unique<TEnumColumn>(QStringList{"Plane"}, QStringList{"XZ-Plane", "YZ-Plane"}));
    table.Column(2)->SetVisible(false);
    TTableModel model(&table);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);

    table.SetRowCount(4);
    QCOMPARE(model.rowCount(), 4);
    QCOMPARE(model.columnCount(), 3);
    QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QString("Layer\ndepth,  (ft)  "));
    QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), QString("Bottom (ft)  \n"));
    QCOMPARE(model.headerData(3, Qt::Vertical).toString(), QString("2"));

    // A stored top redisplays the linked bottom of the layer above.
    QSignalSpy redisplayed(&model, &QAbstractItemModel::dataChanged);
    QVERIFY(model.setData(model.index(1, 0), "2*1.5"));
    QCOMPARE(model.data(model.index(1, 0)).toString(), QString("3"));
    QCOMPARE(model.data(model.index(0, 1)).toString(), QString("3"));
    QVERIFY(std::any_of(redisplayed.begin(), redisplayed.end(), [&](const QList<QVariant>& args) {
      const auto from = args[0].toModelIndex(), to = args[1].toModelIndex();
      return from.row() <= 0 && to.row() >= 0 && from.column() <= 1 && to.column() >= 1;
    }));
    QVERIFY(!model.setData(model.index(1, 0), "abc"));
    QCOMPARE(model.LastError(), QString("abc is not a valid number."));
    table.Cell(3, 2).SetInteger(2);
    QCOMPARE(model.data(model.index(2, 2)).toString(), QString("YZ-Plane"));
    QCOMPARE(model.data(model.index(2, 2), Qt::EditRole).toString(), QString("2"));
    QVERIFY(!(model.flags(model.index(0, 2)) & Qt::ItemIsEditable));

    // Enter: down the column, then to the next text column, then back.
    QCOMPARE(model.NextAfterEnter(model.index(1, 0)), model.index(2, 0));
    QCOMPARE(model.NextAfterEnter(model.index(3, 0)), model.index(0, 1));
    QCOMPARE(model.NextAfterEnter(model.index(3, 1)), model.index(0, 0));

    table.InsertRows(3);
    table.AddRows();
    table.DeleteRows(0);
    table.SetUnits(2);
    QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QString("Layer\ndepth,  (m)  "));
    table.Column(2)->SetVisible(true);
    QCOMPARE(model.columnCount(), 4);
    table.SetRowCount(0);
    QCOMPARE(model.rowCount(), 0);
  }
};

QTEST_GUILESS_MAIN(TableTest)
#include "table_test.moc"
