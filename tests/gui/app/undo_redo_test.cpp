// Everyday editing in the main window, as a user does it: undo and redo of
// every kind of change, the clean state of the caption, Cut, Copy and Paste
// of table blocks, messages that name the entry, the templates of File > New
// from Template, and the pile helpers against the same group typed by hand.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSpinBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QUndoStack>
#include <QtTest>

#include "gui/app/History.hpp"
#include "gui/app/Main.hpp"
#include "gui/app/Options.hpp"
#include "gui/app/Title.hpp"
#include "gui/files/ProjectWriter.hpp"
#include "gui/forms/DataForm.hpp"
#include "gui/forms/Layout.hpp"
#include "gui/forms/Massdata.hpp"
#include "gui/forms/SoilParams.hpp"
#include "gui/model/InputHelpers.hpp"
#include "gui/model/ProgramData.hpp"
#include "gui/model/ProjectTables.hpp"
#include "gui/model/Table.hpp"
#include "gui/widgets/DataEdit.hpp"
#include "gui/widgets/InputHelperDialogs.hpp"
#include "gui/widgets/TableForm.hpp"
#include "gui/widgets/TableModel.hpp"
#include "gui/widgets/TableWindows.hpp"
#include "support/MessageRecorder.hpp"
#include "support/TestFolder.hpp"

using namespace terva::gui;

namespace {

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The project file saving the open project would write now (the main
// window's project is not changed).
QByteArray FileText(TMainForm& main) {
  TProgramData data = main.Project();
  ApplyProjectSaveRules(data, main.Tables());
  return ProjectFileText(data, main.Tables());
}

TDataForm* Open(TMainForm& main, TChildId id) { return qobject_cast<TDataForm*>(main.ShowChild(id)); }

// A field typed into as a user does and left with Enter.
void Enter(TDataEdit* field, const QString& text) {
  field->setFocus();
  field->selectAll();
  QTest::keyClicks(field, text);
  QTest::keyClick(field, Qt::Key_Return);
}

TTableForm* ShowTable(TGridTable* table) {
  table->Show();
  return TTableForm::Of(*table);
}

// A cell typed into as a user does: F2, the text, Enter.
void EnterCell(TTableForm* form, int row, int column, const QString& text) {
  form->Grid()->setCurrentIndex(form->Model()->index(row, column));
  QTest::keyClick(form->Grid(), Qt::Key_F2);
  auto* editor = form->Grid()->findChild<QLineEdit*>();
  QVERIFY(editor);
  editor->selectAll();
  QTest::keyClicks(editor, text);
  QTest::keyClick(editor, Qt::Key_Return);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);  // the closed editor goes
}

void Select(TTableForm* form, int top, int left, int bottom, int right) {
  form->Grid()->setCurrentIndex(form->Model()->index(top, left));
  form->Grid()->selectionModel()->select(
      QItemSelection(form->Model()->index(top, left), form->Model()->index(bottom, right)),
      QItemSelectionModel::ClearAndSelect);
}

}  // namespace

class UndoRedoTest : public QObject {
  Q_OBJECT

 private:
  test::TTestFolder folder_;

 private slots:
  void initTestCase() {
    QVERIFY(folder_.Isolate(QStringLiteral("TERVA-undo-test")));
    QLocale::setDefault(QLocale::c());
    InstallTableWindows();
  }

  // Twenty edits of every kind across windows and tables; twenty undos give
  // the opened project's file byte for byte, twenty redos the edited one.
  void twentyEditsBackAndForth() {
    test::TMessageRecorder messages;
    const QString path = folder_.Example(QStringLiteral("compressor-half-space.tvd"), QStringLiteral("undo.tvd"));
    TMainForm main;
    main.Start(path);
    QUndoStack* stack = main.History().Stack();
    const QByteArray opened = FileText(main);
    QCOMPARE(opened, ReadAll(path));
    int steps = 0;
    const auto step = [&](const QString& undoText) {
      QCoreApplication::processEvents();  // the table's requested step
      ++steps;
      QCOMPARE(stack->index(), steps);
      QCOMPARE(main.Action(QStringLiteral("EditUndo"))->text(), QStringLiteral("&Undo ") + undoText);
      QVERIFY(main.windowTitle().endsWith(QLatin1Char('*')));
    };

    TDataForm* below = Open(main, TChildId::SoilBelow);
    Enter(below->Field("BelowVs"), "260");
    step("Edit Shear wave velocity");
    Enter(below->Field("BelowUnitWeight"), "19.5");
    step("Edit Unit weight");
    Enter(below->Field("BelowDamping"), "0.04");
    step("Edit Material damping");

    TTableForm* soil = ShowTable(main.Tables().D1());
    QVERIFY(soil);
    EnterCell(soil, 0, 1, "155");
    step("Edit Shear Wave Velocity");
    soil->Grid()->setCurrentIndex(soil->Model()->index(1, 0));
    soil->AddButton()->click();
    step("Add Row to Soil Layer Data");
    Select(soil, 2, 0, 2, 1);
    QVERIFY(soil->PasteText("0.4\t190\n"));
    step("Paste into Soil Layer Data");
    soil->Grid()->setCurrentIndex(soil->Model()->index(0, 0));
    soil->InsertButton()->click();
    step("Insert Row in Soil Layer Data");
    soil->Grid()->setCurrentIndex(soil->Model()->index(0, 0));
    soil->DeleteButton()->click();
    step("Delete Row from Soil Layer Data");

    auto* layout = qobject_cast<TfrmLayout*>(Open(main, TChildId::FoundationOptions));
    layout->FootingType()->setCurrentText(QStringLiteral("STRATUM"));
    step("Change Foundation Type");
    main.SetLoadType(2);
    step("Change Loading to Transient");
    main.SetLoadType(1);
    step("Change Loading to Harmonic");
    main.SetUnits(1);
    step("Switch to English Units");
    Enter(Open(main, TChildId::SoilBelow)->Field("BelowVs"), "900");
    step("Edit Shear wave velocity");
    main.SetUnits(2);
    step("Switch to SI Units");

    TTableForm* masses = ShowTable(main.Tables().MassCal());
    Select(masses, 0, 0, 0, 6);
    QVERIFY(masses->PasteText("150\t0\t0\t0.6\t6\t4\t1.2"));
    step("Paste into Mass Components including equipment, and self weight of footing");
    auto* mass = qobject_cast<TfrmMassdata*>(main.ShowChild(TChildId::MassData));
    QVERIFY(mass->Calculate());
    step("Mass Calculator Results");

    auto* title = qobject_cast<TdlgTitle*>(main.ShowChild(TChildId::Title));
    title->TitleMemo()->setPlainText(QStringLiteral("Compressor block, stiffer soil"));
    QVERIFY(main.DeactivateActiveChild());
    step("Edit Project Title");
    auto* options = qobject_cast<TDlgOptions*>(main.ShowChild(TChildId::ControlOptions));
    options->MatrixBox()->setChecked(false);
    QVERIFY(main.DeactivateActiveChild());
    step("Edit Control Options");
    auto* shape = qobject_cast<TfrmShape*>(main.ShowChild(TChildId::FoundationShape));
    shape->Circular()->click();
    step("Edit Foundation Shape");
    soil = ShowTable(main.Tables().D1());
    Select(soil, 1, 1, 1, 2);
    QVERIFY(soil->CutSelection());
    step("Cut from Soil Layer Data");
    QCOMPARE(steps, 20);
    QVERIFY(messages.texts.isEmpty());

    const QByteArray edited = FileText(main);
    QVERIFY(edited != opened);
    for (int i = 0; i < 20; ++i) main.Undo();
    QCOMPARE(stack->index(), 0);
    QVERIFY(!main.Action(QStringLiteral("EditUndo"))->isEnabled());
    QCOMPARE(FileText(main), opened);
    QVERIFY(!main.Modified());
    QVERIFY(!main.windowTitle().endsWith(QLatin1Char('*')));
    // the open windows show the values they hold again
    QCOMPARE(Open(main, TChildId::SoilBelow)->Field("BelowVs")->text(), QStringLiteral("250"));
    QCOMPARE(layout->FootingType()->currentText(), QStringLiteral("HALF-SPACE"));
    for (int i = 0; i < 20; ++i) main.Redo();
    QCOMPARE(FileText(main), edited);
    QVERIFY(main.Modified());

    // Saving, then undoing to the file's state and back: the caption follows.
    QVERIFY(main.FileSave());
    QCOMPARE(ReadAll(path), edited);
    QVERIFY(!main.Modified());
    main.Undo();
    QVERIFY(main.Modified());
    main.Redo();
    QVERIFY(!main.Modified());
    QVERIFY(messages.texts.isEmpty());
  }

  // A value changed and changed back is no change; an entry still being
  // typed is stored before Undo takes the step back; New starts a history.
  void cleanStateAndTyping() {
    TMainForm main;
    main.Start();
    TDataForm* below = Open(main, TChildId::SoilBelow);
    const QString shown = below->Field("BelowVs")->text();
    Enter(below->Field("BelowVs"), "300");
    QVERIFY(main.Modified());
    Enter(below->Field("BelowVs"), shown);
    QVERIFY(!main.Modified());
    QCOMPARE(main.History().Stack()->index(), 2);

    // typed, not left: Undo stores it as a step and takes that step back
    below->Field("BelowVs")->setFocus();
    below->Field("BelowVs")->selectAll();
    QTest::keyClicks(below->Field("BelowVs"), "410");
    QVERIFY(main.Modified());
    main.Undo();
    QCOMPARE(below->Field("BelowVs")->text(), shown);
    QCOMPARE(double(main.Project().BelowVs), shown.toDouble());
    main.Redo();
    QCOMPARE(double(main.Project().BelowVs), 410.0);
    QCOMPARE(below->Field("BelowVs")->text(), QStringLiteral("410"));

    // Ctrl+Z in a field with nothing of its own to undo is left to the
    // menu's shortcut; with typing to undo, the field takes it.
    const auto takesUndo = [](TDataEdit* field) {
      QKeyEvent override(QEvent::ShortcutOverride, Qt::Key_Z, Qt::ControlModifier);
      override.ignore();
      QCoreApplication::sendEvent(field, &override);
      return override.isAccepted();
    };
    QVERIFY(!takesUndo(below->Field("BelowVs")));
    QTest::keyClicks(below->Field("BelowVs"), "5");
    QVERIFY(takesUndo(below->Field("BelowVs")));

    test::TMessageRecorder messages(MbNo);  // "save any changes?": no
    QVERIFY(main.FileNew());
    QCOMPARE(main.History().Stack()->count(), 0);
    QVERIFY(!main.Action(QStringLiteral("EditUndo"))->isEnabled());
  }

  // Blocks of cells as tab-separated text: copied as the table shows them,
  // pasted whole or not at all, a single value filling a selection, rows
  // added as the table may hold them.
  void clipboardBlocks() {
    // a comma-decimal desktop: the clipboard still carries "."
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const auto restore = qScopeGuard([] { QLocale::setDefault(QLocale::c()); });
    test::TMessageRecorder messages;
    TMainForm main;
    main.Start();
    TGridTable* soil = main.Tables().D1();
    TTableForm* form = ShowTable(soil);
    QVERIFY(form->PasteText("1.5\t150\t18\n2.5\t180\t18.5\n"));
    QCoreApplication::processEvents();
    QCOMPARE(soil->RowCount(), 2);
    QCOMPARE(double(soil->Cell(1, 1).AsReal()), 180.0);
    QCOMPARE(main.History().Stack()->index(), 1);

    Select(form, 0, 0, 1, 2);
    form->CopySelection();
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("1.5\t150\t18\n2.5\t180\t18.5\n"));
    // the grid selects blocks
    QCOMPARE(form->Grid()->selectionMode(), QAbstractItemView::ContiguousSelection);

    // one value fills the selection; an empty cell leaves its cell
    Select(form, 0, 3, 1, 3);
    QVERIFY(form->PasteText("0.3"));
    QCOMPARE(double(soil->Cell(3, 0).AsReal()), 0.3);
    QCOMPARE(double(soil->Cell(3, 1).AsReal()), 0.3);
    Select(form, 0, 0, 0, 0);
    QVERIFY(form->PasteText("\t155\n"));
    QCOMPARE(double(soil->Cell(0, 0).AsReal()), 1.5);
    QCOMPARE(double(soil->Cell(1, 0).AsReal()), 155.0);

    // a bad entry: nothing of the paste stays, the message names the cell
    QCoreApplication::processEvents();
    const int steps = main.History().Stack()->index();
    Select(form, 0, 0, 0, 0);
    QVERIFY(!form->PasteText("9\t9\n9\tabc\n9\t9\n"));
    QCOMPARE(double(soil->Cell(0, 0).AsReal()), 1.5);
    QCOMPARE(soil->RowCount(), 2);
    QCOMPARE(messages.texts.size(), 1);
    QCOMPARE(messages.texts.last(), QStringLiteral("Shear Wave Velocity, row 2, Soil Layer Data: abc is not a valid number."));
    QCoreApplication::processEvents();
    QCOMPARE(main.History().Stack()->index(), steps);

    // more columns than the table has, more rows than it may hold
    Select(form, 0, 5, 0, 5);
    QVERIFY(!form->PasteText("1\t2\t3"));
    QVERIFY(messages.texts.last().contains(QStringLiteral("3 columns")));
    Select(form, 0, 0, 0, 0);
    QString many;
    for (int i = 0; i < soil->MaxRows() + 1; ++i) many += QStringLiteral("1\n");
    QVERIFY(!form->PasteText(many));
    QCOMPARE(soil->RowCount(), 2);

    // Cut copies and puts a new row's values back; Undo brings them back
    Select(form, 1, 1, 1, 2);
    QVERIFY(form->CutSelection());
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("180\t18.5\n"));
    QCOMPARE(double(soil->Cell(1, 1).AsReal()), 0.0);
    QCoreApplication::processEvents();
    main.Undo();
    QCOMPARE(double(soil->Cell(1, 1).AsReal()), 180.0);
    QCOMPARE(double(soil->Cell(2, 1).AsReal()), 18.5);

    // the Edit menu's commands go to the active table window
    main.MdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(form->parentWidget()));
    Select(form, 0, 1, 0, 1);
    main.Copy();
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("155\n"));
    Select(form, 1, 0, 1, 0);
    main.Paste();
    QCOMPARE(double(soil->Cell(0, 1).AsReal()), 155.0);
  }

  // A field's message names the field and its window.
  void messagesNameTheEntry() {
    test::TMessageRecorder messages;
    TMainForm main;
    main.Start();
    TDataForm* shape = Open(main, TChildId::FoundationShape);
    Enter(shape->Field("Length"), "-5");
    QCOMPARE(messages.texts,
             QStringList{QStringLiteral("Length x, Foundation Shape: entry must be greater than or equal to 0")});
  }

  // Each template is a complete project with a clean history; the pile
  // group follows the layout asked for.
  void templates() {
    TMainForm main;
    main.Start();
    QVERIFY(main.Action(QStringLiteral("FileNewHalfSpace")));
    QVERIFY(main.FileNewFromTemplate(TProjectTemplate::StratumBlock));
    QCOMPARE(main.Project().FoundationCode, TFoundationType::Stratum);
    QVERIFY(main.Project().IsUnnamed());
    QVERIFY(!main.Modified());
    TMainForm::SetPileGroupHook([](TPileGroupTemplate& group) {
      group.rows = 2;
      group.columns = 4;
      group.spacing = 2.0;
      return true;
    });
    QVERIFY(main.FileNewFromTemplate(TProjectTemplate::PileGroup));
    QCOMPARE(main.Project().FoundationCode, TFoundationType::Pile);
    QCOMPARE(main.Tables().Pilecoord()->RowCount(), 8);
    QVERIFY(main.Action(QStringLiteral("DataPileCoordinates"))->isEnabled());
    TMainForm::SetPileGroupHook([](TPileGroupTemplate&) { return false; });
    QVERIFY(!main.FileNewFromTemplate(TProjectTemplate::PileGroup));  // cancelled: the group stays
    QCOMPARE(main.Tables().Pilecoord()->RowCount(), 8);
    TMainForm::SetPileGroupHook({});
  }

  // A 3 × 3 group at 1.8 m made with Generate Grid and the Section helper
  // for a 0.6 m pile writes the same project as the group typed by hand.
  void helpersGiveTheTypedGroup() {
    QByteArray typedText, helpedText;
    {
      // by hand: the coordinates and every layer's section constants, typed
      TMainForm typed;
      typed.Start(folder_.Example(QStringLiteral("pile-group-4.tvd"), QStringLiteral("typed.tvd")));
      TTableForm* coordinates = ShowTable(typed.Tables().Pilecoord());
      QString block;
      for (const QString y : {"-1.8", "0", "1.8"})
        for (const QString x : {"-1.8", "0", "1.8"}) block += x + QLatin1Char('\t') + y + QStringLiteral("\t0\n");
      Select(coordinates, 0, 0, 0, 0);
      QVERIFY(coordinates->PasteText(block));
      QCOMPARE(typed.Tables().Pilecoord()->RowCount(), 9);
      TTableForm* piles = ShowTable(typed.Tables().PileData());
      QVERIFY(typed.Tables().PileData()->RowCount() >= 2);
      // radius, area, I and J of a 0.6 m circle: d/2, pi d^2/4, pi d^4/64, pi d^4/32
      const QStringList values = {"0.3", "0.3", "0.28274334", "0.0063617251", "0.0063617251", "0.01272345"};
      for (int row = 0; row < typed.Tables().PileData()->RowCount(); ++row)
        for (int c = 0; c < values.size(); ++c) EnterCell(piles, row, c + 1, values[c]);
      typedText = FileText(typed);
    }
    {
      TMainForm helped;
      helped.Start(folder_.Example(QStringLiteral("pile-group-4.tvd"), QStringLiteral("helped.tvd")));
      SetHelperDialogHook([](QDialog& dialog) {
        if (auto* generate = qobject_cast<TDlgGenerateGrid*>(&dialog)) {
          generate->RowsBox()->setValue(3);
          generate->ColumnsBox()->setValue(3);
          generate->SpacingXField()->setText("1.8");
          generate->SpacingYField()->setText("1.8");
          generate->ReplaceButton()->setChecked(true);
        } else if (auto* section = qobject_cast<TDlgPileSection*>(&dialog)) {
          section->ShapeBox()->setCurrentIndex(0);
          section->Field("Diameter")->setText("0.6");
          section->EveryRowButton()->setChecked(true);
        }
        return true;
      });
      const auto helper = [](TTableForm* form, const QString& text) {
        for (QPushButton* button : form->findChildren<QPushButton*>())
          if (button->text() == text) return button;
        return static_cast<QPushButton*>(nullptr);
      };
      TTableForm* grid = ShowTable(helped.Tables().Pilecoord());
      QVERIFY(helper(grid, "&Generate Grid..."));
      helper(grid, "&Generate Grid...")->click();
      QCoreApplication::processEvents();
      QCOMPARE(helped.Action(QStringLiteral("EditUndo"))->text(), QStringLiteral("&Undo Generate Grid"));
      TTableForm* section = ShowTable(helped.Tables().PileData());
      QVERIFY(helper(section, "&Section..."));
      helper(section, "&Section...")->click();
      SetHelperDialogHook({});
      QCoreApplication::processEvents();
      QCOMPARE(helped.Action(QStringLiteral("EditUndo"))->text(), QStringLiteral("&Undo Pile Section"));
      helpedText = FileText(helped);
    }
    if (helpedText != typedText) {
      const QList<QByteArray> a = helpedText.split('\n'), b = typedText.split('\n');
      for (int i = 0; i < std::min(a.size(), b.size()); ++i)
        if (a[i] != b[i]) qWarning() << i << a[i] << b[i];
    }
    QCOMPARE(helpedText, typedText);
  }
};

QTEST_MAIN(UndoRedoTest)
#include "undo_redo_test.moc"
