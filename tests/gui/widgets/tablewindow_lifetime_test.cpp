// Table windows whose table goes away while they hold an entry that is not
// valid: a new project, an opened project, the deletion of the row that owns
// a nested table, the end of the program. The window goes without a message
// and without storing anything; a close asked for by the user keeps the
// window open. Run under AddressSanitizer in the sanitizer build.
#include "gui/files/ProjectReader.hpp"
#include "gui/files/ProjectWriter.hpp"
#include "gui/model/ColumnTypes.hpp"
#include "gui/model/ProgramData.hpp"
#include "gui/model/ProjectTables.hpp"
#include "gui/model/Table.hpp"
#include "gui/widgets/TableForm.hpp"
#include "gui/widgets/TableModel.hpp"
#include "gui/widgets/TableWindows.hpp"
#include "support/MessageRecorder.hpp"

#include <QLineEdit>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace terva::gui;

namespace {

// Opens the window of `table` and leaves "abc" typed into the first cell of
// its first real column, not yet stored.
QPointer<TTableForm> OpenWithBadEntry(TGridTable& table) {
  table.Show();
  TTableForm* form = TTableForm::Of(table);
  if (form == nullptr) return nullptr;
  QApplication::setActiveWindow(form->window());
  if (!QTest::qWaitForWindowExposed(form->window())) return nullptr;
  int column = 0;
  while (column < form->Model()->columnCount() && !form->Model()->IsTextColumn(column)) ++column;
  form->Grid()->setCurrentIndex(form->Model()->index(0, column));
  QTest::keyClick(form->Grid(), Qt::Key_F2);
  auto* editor = form->Grid()->findChild<QLineEdit*>();
  if (editor == nullptr) return nullptr;
  QTest::keyClicks(editor, "abc");
  return form->HasOpenEntry() ? form : nullptr;
}

TGridTable* LoadHistory(TProjectTables& tables, int row) {
  return tables.TLoadtype()->Column(1)->NestedTable(row);
}

}  // namespace

class TableWindowLifetimeTest : public QObject {
  Q_OBJECT

 private:
  test::TMessageRecorder recorder_;
  std::unique_ptr<TProjectTables> tables_;
  QTemporaryDir dir_;

 private slots:
  void initTestCase() {
    QLocale::setDefault(QLocale::c());
    InstallTableWindows();
    tables_ = std::make_unique<TProjectTables>();
    QVERIFY(dir_.isValid());
  }
  void init() {
    NewProject(*tables_);
    recorder_.Clear();
  }

  void newProjectDropsTheEntries() {
    tables_->TLoadtype()->SetRowCount(2);
    const QPointer<TTableForm> nested = OpenWithBadEntry(*LoadHistory(*tables_, 1));
    const QPointer<TTableForm> outer = OpenWithBadEntry(*tables_->D1());
    QVERIFY(nested && outer);
    recorder_.Clear();  // leaving the first window for the second reports its bad entry
    auto data = NewProject(*tables_);
    QVERIFY(!nested);
    QVERIFY(!outer);
    QCOMPARE(recorder_.texts, QStringList());
    QCOMPARE(tables_->D1()->Column(0)->GetReal(0), 0.0L);
  }

  void openedProjectDropsTheEntries() {
    auto data = NewProject(*tables_);
    data->FileName = dir_.filePath("opened.tvd");
    data->LoadType = TLoadType::Transient;
    data->PointCount = 2;
    SaveProject(*data, *tables_);
    const QPointer<TTableForm> nested = OpenWithBadEntry(*LoadHistory(*tables_, 0));
    const QPointer<TTableForm> outer = OpenWithBadEntry(*tables_->D1());
    QVERIFY(nested && outer);
    recorder_.Clear();
    const TLoadResult result = LoadProject(data->FileName, *tables_);
    QCOMPARE(result.status, TLoadResult::kComplete);
    QVERIFY(!nested);
    QVERIFY(!outer);
    QCOMPARE(recorder_.texts, QStringList());
  }

  void deletingTheOwningRowDropsTheEntry() {
    tables_->TLoadtype()->SetRowCount(3);
    const QPointer<TTableForm> kept = OpenWithBadEntry(*LoadHistory(*tables_, 0));
    QVERIFY(kept);
    recorder_.Clear();  // leaving its window for the next one reports the bad entry
    const QPointer<TTableForm> gone = OpenWithBadEntry(*LoadHistory(*tables_, 1));
    QVERIFY(gone);
    recorder_.Clear();
    tables_->TLoadtype()->DeleteRows(1);
    QVERIFY(!gone);
    QVERIFY(kept);
    QCOMPARE(tables_->TLoadtype()->RowCount(), 2);
    QCOMPARE(recorder_.texts, QStringList());
  }

  // A table of its own that goes while its window holds a bad entry.
  void destroyedTableDropsTheEntry() {
    auto table = std::make_unique<TGridTable>();
    table->AddColumn(std::make_unique<TFloatColumn>(QStringList{"Thickness"}, "L2"));
    table->SetRowCount(1);
    const QPointer<TTableForm> form = OpenWithBadEntry(*table);
    QVERIFY(form);
    table.reset();
    QVERIFY(!form);
    QCOMPARE(recorder_.texts, QStringList());
  }

  // Rows that the program removes (putting tables back after a failed open)
  // take an entry in progress in them along.
  void removedRowDropsItsEntry() {
    const QPointer<TTableForm> form = OpenWithBadEntry(*tables_->D1());
    QVERIFY(form);
    tables_->D1()->SetRowCount(0);
    QVERIFY(form);
    QVERIFY(!form->HasOpenEntry());
    QCOMPARE(recorder_.texts, QStringList());
  }

  // Closing on the user's behalf keeps the rule: the bad entry is reported
  // and keeps the window open.
  void userCloseKeepsTheWindow() {
    const QPointer<TTableForm> form = OpenWithBadEntry(*tables_->D1());
    QVERIFY(form);
    tables_->CloseWindows(TCloseReason::User);
    QVERIFY(form);
    QVERIFY(tables_->D1()->WindowOpen());
    QCOMPARE(recorder_.texts, QStringList{"Thickness, row 1, Soil Layer Data: abc is not a valid number."});
    NewProject(*tables_);
    QVERIFY(!form);
  }

  // The end of the program: the child-window area goes with the main window
  // first, then the tables.
  void exitDropsTheEntries() {
    auto area = std::make_unique<QMdiArea>();
    area->resize(800, 600);
    area->show();
    InstallTableWindows().SetHost([&area](TTableForm* form) { area->addSubWindow(form); });
    tables_->TLoadtype()->SetRowCount(1);
    // The bad entry keeps the focus in its child window: one at a time.
    tables_->D1()->Show();
    const QPointer<TTableForm> outer = TTableForm::Of(*tables_->D1());
    const QPointer<TTableForm> nested = OpenWithBadEntry(*LoadHistory(*tables_, 0));
    QVERIFY(nested && outer);
    recorder_.Clear();
    area.reset();
    QVERIFY(!nested && !outer);
    QCOMPARE(recorder_.texts, QStringList());
    InstallTableWindows().SetHost({});
    const QPointer<TTableForm> last = OpenWithBadEntry(*tables_->MassCal());
    QVERIFY(last);
    recorder_.Clear();
    tables_.reset();
    QVERIFY(!last);
    QCOMPARE(recorder_.texts, QStringList());
  }
};

QTEST_MAIN(TableWindowLifetimeTest)
#include "tablewindow_lifetime_test.moc"
