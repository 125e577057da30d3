// The Graphics menu of the main window after a real run of a bundled
// example: its items, their enabling by results, graphic data file, MATRIX
// and load type, and the plot windows they open.
#include "gui/app/Main.hpp"
#include "gui/model/ProgramData.hpp"
#include "gui/plots/PlotForm.hpp"
#include "support/TestFolder.hpp"
#include "support/MessageRecorder.hpp"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

using namespace terva::gui;
using terva::gui::test::TMessageRecorder;

namespace {

const char* const kItems[] = {"GraphicsTranslationalStiffness", "GraphicsRotationalStiffness",
                              "GraphicsTranslationalDamping",   "GraphicsRotationalDamping",
                              "GraphicsDisplacement",           "GraphicsRotation",
                              "GraphicsAmplitude"};

QString Enabled(TMainForm& main) {
  main.UpdateGraphicsMenu();
  QString flags;
  for (const char* name : kItems) flags += main.Action(name)->isEnabled() ? '1' : '0';
  return flags;
}

}  // namespace

class GraphicsMenuTest : public QObject {
  Q_OBJECT

  test::TTestFolder folder_;
  QString Path(const QString& name) const { return folder_.Path(name); }

 private slots:
  void initTestCase() {
    QVERIFY(folder_.Isolate(QStringLiteral("TERVA")));
  }

  void menuAfterARun() {
    const QString project = Path("run.tvd");
    QVERIFY(QFile::copy(QStringLiteral(TERVA_EXAMPLES_DIR "/projects/pile-group-4.tvd"), project));
    QFile(project).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    TMessageRecorder messages;
    TMainForm main;
    main.Start(project);
    // The menu's items in the order of the menu.
    QMenu* graphics = nullptr;
    for (QAction* a : main.menuBar()->actions())
      if (a->text() == QStringLiteral("&Graphics")) graphics = a->menu();
    QVERIFY(graphics);
    QStringList texts;
    for (QAction* a : graphics->actions())
      if (!a->isSeparator()) texts << a->text();
    QCOMPARE(texts.size(), 7);
    QCOMPARE(texts.last(), QStringLiteral("Interactive Footing Response Amplitude "));
    // No results yet.
    QCOMPARE(Enabled(main), QStringLiteral("0000000"));

    main.RunAnalysis();
    QVERIFY(main.ResultsAvailable());
    QCOMPARE(Enabled(main), QStringLiteral("1111111"));
    // Not harmonic: no response plots.
    main.Project().LoadType = TLoadType::Transient;
    QCOMPARE(Enabled(main), QStringLiteral("1111001"));
    // MATRIX off: only the amplitude plot.
    main.Project().LoadType = TLoadType::Harmonic;
    main.Project().Matrix = 0;
    QCOMPARE(Enabled(main), QStringLiteral("0000001"));
    main.Project().Matrix = 1;
    // The graphic data file gone: nothing.
    QVERIFY(QFile::rename(Path("run.tvp"), Path("run.tvp.away")));
    QCOMPARE(Enabled(main), QStringLiteral("0000000"));
    QVERIFY(QFile::rename(Path("run.tvp.away"), Path("run.tvp")));
    QCOMPARE(Enabled(main), QStringLiteral("1111111"));

    // A plot window opens once, shows the run's curves, and closing it
    // leaves the data with the plot.
    main.Action("GraphicsTranslationalStiffness")->trigger();
    main.Action("GraphicsTranslationalStiffness")->trigger();
    QCOMPARE(main.MdiArea()->subWindowList().size(), 1);
    auto* form = qobject_cast<TPlotForm*>(main.MdiArea()->subWindowList().first()->widget());
    QVERIFY(form);
    QCOMPARE(&form->Plot(), &main.Plots().pltRealKXX);
    QCOMPARE(form->windowTitle(), QStringLiteral("Translational Stiffnesses  (Real Part)"));
    QCOMPARE(form->Plot().LineCount(), 3);
    QVERIFY(form->FullRange().X.Min >= 0 && form->FullRange().X.Max > form->FullRange().X.Min);
    main.CloseChild(TChildId::PlotTranslationalStiffness);
    QCOMPARE(main.Plots().pltRealKXX.Line(0).PointCount(), 25);
    QVERIFY(messages.texts.size() <= 1);  // the completion message only
    main.SetModified(false);
  }

  void openingAProjectReadsItsResults() {
    // The run above left run.tvp beside run.tvd.
    TMainForm main;
    main.Start(Path("run.tvd"));
    QVERIFY(main.ResultsAvailable());
    QCOMPARE(Enabled(main), QStringLiteral("1111111"));
    // A new project forgets them.
    main.FileNew();
    QVERIFY(!main.ResultsAvailable());
    QCOMPARE(Enabled(main), QStringLiteral("0000000"));
  }
};

QTEST_MAIN(GraphicsMenuTest)
#include "graphics_menu_test.moc"
