// The Graphics menu of the main window after a real run of a bundled
// example: its items, their enabling by results, graphic data file, MATRIX
// and load type, and the plot windows they open.
#include "gui/app/Main.hpp"
#include "gui/model/ProgramData.hpp"
#include "gui/plots/PlotForm.hpp"
#include "gui/plots/PlotPainter.hpp"
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

  // Every bundled project after a run: every point of every curve lies
  // within its plot's axes, and no two tick labels touch at 800 x 600,
  // 1280 x 800 and maximised in a 1280 x 800 main window.
  void everyPointInsideAndLabelsApart() {
    for (const char* name : {"compressor-half-space", "pile-group-4", "pile-group-battered"}) {
      const QString project = Path(QString::fromLatin1(name) + QStringLiteral(".tvd"));
      QVERIFY(QFile::copy(QStringLiteral(TERVA_EXAMPLES_DIR "/projects/") + QString::fromLatin1(name) +
                              QStringLiteral(".tvd"),
                          project));
      QFile(project).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
      TMessageRecorder messages;
      TMainForm main;
      main.resize(1280, 800);
      main.show();
      main.Start(project);
      main.RunAnalysis();
      QVERIFY2(main.ResultsAvailable(), name);
      for (const char* item : {"GraphicsTranslationalStiffness", "GraphicsRotationalStiffness",
                               "GraphicsTranslationalDamping", "GraphicsRotationalDamping", "GraphicsDisplacement",
                               "GraphicsRotation"}) {
        main.Action(item)->trigger();
        QMdiSubWindow* frame = main.MdiArea()->activeSubWindow();
        auto* form = qobject_cast<TPlotForm*>(frame->widget());
        QVERIFY(form);
        QVERIFY(frame->windowFlags() & Qt::WindowMaximizeButtonHint);
        const TGraphPlot& plot = form->Plot();
        const TView full = form->FullRange();
        for (int i = 0; i < plot.LineCount(); ++i) {
          if (!plot.Line(i).Included) continue;
          for (const TFloatPoint& p : plot.Line(i).Points) {
            const QString where = QStringLiteral("%1 %2 line %3 (%4, %5)")
                                      .arg(name, item).arg(i).arg(double(p.X)).arg(double(p.Y));
            QVERIFY2(double(p.X) >= full.X.Min && double(p.X) <= full.X.Max, qPrintable(where));
            QVERIFY2(double(p.Y) >= full.Y.Min && double(p.Y) <= full.Y.Max, qPrintable(where));
          }
        }
        for (int size = 0; size < 3; ++size) {
          if (size == 2) frame->showMaximized();
          else frame->resize(size == 0 ? QSize(800, 600) : QSize(1280, 800));
          QCoreApplication::processEvents();
          QWidget* canvas = form->Canvas();
          TPlotPainter painter(plot, canvas->logicalDpiX(), canvas->logicalDpiY());
          const auto labels = painter.TickLabels(canvas, form->PlotRect(), form->View());
          QVERIFY(!labels.empty());
          for (size_t a = 0; a < labels.size(); ++a)
            for (size_t b = a + 1; b < labels.size(); ++b)
              QVERIFY2(!labels[a].Box.intersects(labels[b].Box),
                       qPrintable(QStringLiteral("%1 %2 at %3x%4: %5 / %6")
                                      .arg(name, item)
                                      .arg(canvas->width())
                                      .arg(canvas->height())
                                      .arg(labels[a].Text, labels[b].Text)));
        }
        frame->close();
      }
      main.SetModified(false);
    }
  }

  // Two designs on one plot: the compared project's stiffness curves beside
  // the open one's, each named with its file in the legend; removed again.
  void compareTwoProjects() {
    // everyPointInsideAndLabelsApart ran both projects.
    TMessageRecorder messages;
    TMainForm main;
    main.Start(Path("pile-group-4.tvd"));
    QVERIFY(main.ResultsAvailable());
    main.UpdateFileMenu();
    QVERIFY(main.Action("FileAddComparison")->isEnabled());
    QVERIFY(!main.Action("FileRemoveComparisons")->isEnabled());
    QVERIFY(main.AddComparison(Path("pile-group-battered.tvd")));
    main.Action("GraphicsTranslationalStiffness")->trigger();
    auto* form = qobject_cast<TPlotForm*>(main.MdiArea()->activeSubWindow()->widget());
    QVERIFY(form);
    QStringList legend;
    for (const TLegendItem& item : LegendItems(form->Plot())) legend << item.Text;
    QCOMPARE(legend, (QStringList{"Kxx (pile-group-4.tvd) *", "Kyy (pile-group-4.tvd) *", "Kww (pile-group-4.tvd) *",
                                  "Kxx (pile-group-battered.tvd) *", "Kyy (pile-group-battered.tvd) *",
                                  "Kww (pile-group-battered.tvd) *"}));
    QCOMPARE(main.ComparedNames(), QStringList{QStringLiteral("pile-group-battered.tvd")});
    // A run of the open project keeps the comparison; its own file is refused.
    main.RunAnalysis();
    QCOMPARE(form->Plot().LineCount(), 6);
    QVERIFY(!main.AddComparison(Path("pile-group-4.tvd")));
    main.RemoveComparison();
    QCOMPARE(form->Plot().LineCount(), 3);
    QCOMPARE(LegendItems(form->Plot()).front().Text, QStringLiteral("Kxx *"));
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
