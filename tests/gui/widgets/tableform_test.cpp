// The grid table window, driven through its widgets: typing into cells, the
// message on a bad entry and the cell that keeps it, the row buttons, the
// drop-down lists and nested-table buttons, and the layout rules.
#include "gui/model/ColumnTypes.hpp"
#include "gui/model/Table.hpp"
#include "gui/widgets/TableForm.hpp"
#include "gui/widgets/TableModel.hpp"
#include "gui/widgets/TableWindows.hpp"
#include "support/MessageRecorder.hpp"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QtTest>

using namespace terva::gui;

namespace {

// Two real columns, as in a soil layer table.
void AddSoilColumns(TGridTable& table) {
  table.SetCaption("Soil Layer Data");
  table.SetTopLeft("Layer #");
  table.AddColumn(std::make_unique<TFloatColumn>(QStringList{"Thickness"}, "L2"));
  table.AddColumn(std::make_unique<TFloatColumn>(QStringList{"Shear Wave", "Velocity,"}, "L2/SEC"));
}

TTableForm* ShowTable(TGridTable& table) {
  table.Show();
  TTableForm* form = TTableForm::Of(table);
  if (form != nullptr) {
    QApplication::setActiveWindow(form);
    if (!QTest::qWaitForWindowExposed(form)) return nullptr;
  }
  return form;
}

QLineEdit* StartEditing(TTableForm* form, int row, int column) {
  form->Grid()->setCurrentIndex(form->Model()->index(row, column));
  QTest::keyClick(form->Grid(), Qt::Key_F2);
  return form->Grid()->findChild<QLineEdit*>();
}

}  // namespace

class TableFormTest : public QObject {
  Q_OBJECT

 private:
  test::TMessageRecorder recorder_;

 private slots:
  void initTestCase() {
    QLocale::setDefault(QLocale::c());
    InstallTableWindows();
  }
  void init() { recorder_.Clear(); }

  void typedEntryIsStoredAndEnterMoves() {
    TGridTable table;
    AddSoilColumns(table);
    table.SetRowCount(2);
    TTableForm* form = ShowTable(table);
    QVERIFY(form != nullptr);
    QCOMPARE(form->windowTitle(), QString("Soil Layer Data "));

    QLineEdit* editor = StartEditing(form, 1, 0);
    QVERIFY(editor != nullptr);
    QTest::keyClicks(editor, "2*3");
    QTest::keyClick(editor, Qt::Key_Return);
    QCOMPARE(table.Cell(0, 1).AsReal(), 6.0L);
    QCOMPARE(form->Model()->data(form->Model()->index(1, 0)).toString(), QString("6"));
    QVERIFY(table.Modified());
    QVERIFY(recorder_.texts.isEmpty());
    // From the last row Enter goes to the top of the next column, from the
    // last column back to the first.
    QCOMPARE(form->Grid()->currentIndex(), form->Model()->index(0, 1));
    form->Grid()->setCurrentIndex(form->Model()->index(1, 1));
    QTest::keyClick(form->Grid(), Qt::Key_Enter);
    QCOMPARE(form->Grid()->currentIndex(), form->Model()->index(0, 0));
    QTest::keyClick(form->Grid(), Qt::Key_Enter);
    QCOMPARE(form->Grid()->currentIndex(), form->Model()->index(1, 0));
  }

  void badEntryHoldsTheCell() {
    TGridTable table;
    AddSoilColumns(table);
    table.SetRowCount(2);
    table.Cell(0, 0).SetReal(1.5L);
    TTableForm* form = ShowTable(table);
    QVERIFY(form != nullptr);
    const QModelIndex cell = form->Model()->index(0, 0);

    QLineEdit* editor = StartEditing(form, 0, 0);
    QVERIFY(editor != nullptr);
    QTest::keyClicks(editor, "abc");
    QTest::keyClick(editor, Qt::Key_Return);
    QCOMPARE(recorder_.texts, QStringList{"Thickness, row 1, Soil Layer Data: abc is not a valid number."});
    QCOMPARE(table.Cell(0, 0).AsReal(), 1.5L);
    QVERIFY(form->HasOpenEntry());
    QCOMPARE(editor->text(), QString("abc"));
    QCOMPARE(form->Grid()->currentIndex(), cell);

    // Neither another cell, nor a row button, nor closing gets past it.
    const QRect other = form->Grid()->visualRect(form->Model()->index(1, 1));
    QTest::mouseClick(form->Grid()->viewport(), Qt::LeftButton, {}, other.center());
    QCOMPARE(form->Grid()->currentIndex(), cell);
    QTest::mouseClick(form->AddButton(), Qt::LeftButton);
    QCOMPARE(table.RowCount(), 2);
    form->Grid()->setCurrentIndex(form->Model()->index(1, 0));
    QCOMPARE(form->Grid()->currentIndex(), cell);
    QTest::keyClick(editor, Qt::Key_Down);
    QCOMPARE(form->Grid()->currentIndex(), cell);
    QVERIFY(!form->close());
    QVERIFY(form->isVisible());
    QCOMPARE(recorder_.texts.size(), 6);
    QCOMPARE(recorder_.texts.count("Thickness, row 1, Soil Layer Data: abc is not a valid number."), 6);

    editor->selectAll();
    QTest::keyClicks(editor, "5");
    QTest::keyClick(editor, Qt::Key_Return);
    QCOMPARE(table.Cell(0, 0).AsReal(), 5.0L);
    QVERIFY(form->close());
    QTRY_VERIFY(TTableForm::Of(table) == nullptr);
  }

  void rowButtons_data() {
    QTest::addColumn<int>("minRows");
    QTest::addColumn<int>("maxRows");
    QTest::addColumn<int>("rows");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<bool>("mayGrow");
    QTest::addColumn<bool>("mayShrink");
    QTest::newRow("one fixed row") << 1 << 1 << 1 << false << false << false;
    QTest::newRow("at the limit") << 1 << 20 << 20 << true << false << true;
    QTest::newRow("at the minimum") << 1 << 20 << 1 << true << true << false;
    QTest::newRow("no limit") << 2 << 0 << 5 << true << true << true;
  }
  void rowButtons() {
    QFETCH(int, minRows);
    QFETCH(int, maxRows);
    QFETCH(int, rows);
    QFETCH(bool, shown);
    QFETCH(bool, mayGrow);
    QFETCH(bool, mayShrink);
    TGridTable table;
    AddSoilColumns(table);
    table.SetMinRows(minRows);
    table.SetMaxRows(maxRows);
    table.SetRowCount(rows);
    TTableForm* form = ShowTable(table);
    QVERIFY(form != nullptr);
    for (QPushButton* button : {form->AddButton(), form->InsertButton(), form->DeleteButton()})
      QCOMPARE(button->isVisible(), shown);
    QCOMPARE(form->AddButton()->isEnabled(), mayGrow);
    QCOMPARE(form->InsertButton()->isEnabled(), mayGrow);
    QCOMPARE(form->DeleteButton()->isEnabled(), mayShrink);
  }

  void rowButtonsActOnCurrentRow() {
    TGridTable table;
    AddSoilColumns(table);
    table.SetMaxRows(4);
    table.SetRowCount(3);
    for (int row = 0; row < 3; ++row) table.Cell(0, row).SetReal(row + 1);
    table.ClearModified();
    TTableForm* form = ShowTable(table);
    QVERIFY(form != nullptr);

    form->Grid()->setCurrentIndex(form->Model()->index(1, 0));
    QTest::mouseClick(form->InsertButton(), Qt::LeftButton);
    QCOMPARE(table.RowCount(), 4);
    QCOMPARE(table.Cell(0, 1).AsReal(), 0.0L);
    QCOMPARE(table.Cell(0, 2).AsReal(), 2.0L);
    QVERIFY(table.Modified());
    QVERIFY(!form->AddButton()->isEnabled());

    form->Grid()->setCurrentIndex(form->Model()->index(2, 0));
    QTest::mouseClick(form->DeleteButton(), Qt::LeftButton);
    QCOMPARE(table.RowCount(), 3);
    QCOMPARE(table.Cell(0, 2).AsReal(), 3.0L);
    QVERIFY(form->AddButton()->isEnabled());

    form->Grid()->setCurrentIndex(QModelIndex());
    QTest::mouseClick(form->DeleteButton(), Qt::LeftButton);
    QCOMPARE(recorder_.texts, QStringList{"Grid.Row not in valid range"});
    QCOMPARE(table.RowCount(), 3);
  }

  void choiceListsAndNestedTables() {
    TGridTable amplitude;
    amplitude.SetCaption("Load Amplitude");
    amplitude.SetTopLeft("Number");
    amplitude.AddColumn(std::make_unique<TFloatColumn>(QStringList{"Load Amplitude"}, "F"));
    TGridTable loads;
    loads.SetCaption("Transient Loading Data");
    loads.SetHardwiredButton(true);
    loads.AddColumn(std::make_unique<TEnumColumn>(QStringList{"Load type"},
                                                  QStringList{"Force in X-direction", "Force in Y-direction"}));
    loads.AddColumn(std::make_unique<TTableColumn>(QStringList{"Load amplitude"}, amplitude.Identifier()));
    loads.SetRowCount(2);
    TTableForm* form = ShowTable(loads);
    QVERIFY(form != nullptr);

    auto* combo = qobject_cast<QComboBox*>(form->CellWidget(1, 0));
    QVERIFY(combo != nullptr);
    QCOMPARE(combo->count(), 2);
    QCOMPARE(combo->maxVisibleItems(), 11);
    QCOMPARE(combo->currentIndex(), -1);
    combo->setCurrentIndex(1);
    emit combo->activated(1);
    QCOMPARE(loads.Cell(0, 1).AsInteger(), 2);
    loads.Cell(0, 1).SetInteger(1);
    QCOMPARE(combo->currentIndex(), 0);

    auto* button = qobject_cast<QPushButton*>(form->CellWidget(1, 1));
    QVERIFY(button != nullptr);
    QCOMPARE(button->text(), QString("2: Load Amplitude"));
    QTest::mouseClick(button, Qt::LeftButton);
    TTableForm* nested = TTableForm::Of(*loads.Cell(1, 1).Table());
    QVERIFY(nested != nullptr);
    QCOMPARE(nested->windowTitle(), QString("Load Amplitude  2"));
    QCOMPARE(nested->CornerText(), QString("Number"));
  }

  void layout() {
    TGridTable table;
    AddSoilColumns(table);
    table.SetRowCount(15);
    TTableForm* form = ShowTable(table);
    QVERIFY(form != nullptr);
    QCOMPARE(form->CornerText(), QString("Layer #"));
    QVERIFY(form->CommentsLabel()->isHidden());
    QVERIFY(form->PictureLabel()->isHidden());
    QVERIFY(form->Grid()->verticalHeader()->width() >= form->logicalDpiX() / 3);
    QCOMPARE(form->Model()->headerData(0, Qt::Horizontal).toString(), QString("Thickness (ft)  \n"));

    // Ten rows at once; the grid scrolls for the rest.
    const int rowHeight = form->Grid()->rowHeight(0);
    QCOMPARE(form->Grid()->viewport()->height() / rowHeight, TTableForm::kMaxVisibleRows);
    QVERIFY(form->Grid()->verticalScrollBar()->maximum() > 0);
    table.SetRowCount(3);
    QCOMPARE(form->Grid()->viewport()->height() / rowHeight, 3);

    table.SetComments("Layers from the ground surface down.");
    QVERIFY(!form->CommentsLabel()->isHidden());
    QCOMPARE(form->CommentsLabel()->text(), table.Comments());
  }

  void tooFewColumns() {
    TGridTable table;
    table.AddColumn(std::make_unique<TFloatColumn>(QStringList{"Hidden"}));
    table.Column(0)->SetVisible(false);
    table.Show();
    QCOMPARE(TTableForm::Of(table), nullptr);
    try {
      TTableForm form(&table);
      QFAIL("a window without columns was made");
    } catch (const TError& error) {
      QCOMPARE(error.Message(), QString("There must be at least 2 columns in grid"));
    }
  }
};

QTEST_MAIN(TableFormTest)
#include "tableform_test.moc"
