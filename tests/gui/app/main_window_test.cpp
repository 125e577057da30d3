// The main window driven as a user would, offscreen, with the real engine
// library from the build's program folder. Every dialog and message box goes
// through the replaceable hooks, answered from queues; settings live in this
// test's own temporary folder.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QStatusBar>
#include <QLabel>
#include <QMimeData>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QtTest>
#include <deque>

#include "gui/model/Table.hpp"
#include "gui/app/Main.hpp"
#include "gui/app/Options.hpp"
#include "gui/app/RunAnalysis.hpp"
#include "gui/app/Title.hpp"
#include "gui/core/EngineRunner.hpp"
#include "gui/core/Messages.hpp"
#include "gui/forms/DataForm.hpp"
#include "gui/widgets/DataEdit.hpp"
#include "gui/model/ProgramData.hpp"
#include "gui/model/ProjectTables.hpp"
#include "support/TestFolder.hpp"
#include "terva/version.h"

using namespace terva::gui;

namespace {

const QString kCompleted =
    QStringLiteral("Computations are completed. Please, check output file for results or error messages.");

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Where the build puts the viewer: beside the program (here, the test).
QString ViewerBesideProgram() {
#ifdef Q_OS_WIN
  const QString name = QStringLiteral("Terva3-viewer.exe");
#else
  const QString name = QStringLiteral("Terva3-viewer");
#endif
  return QDir(QCoreApplication::applicationDirPath()).filePath(name);
}

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private:
  test::TTestFolder folder_;
  QStringList messages_;
  std::deque<int> answers_;      // message box answers, Ok when empty
  std::deque<QString> chosen_;   // file dialog answers, cancel when empty
  QStringList dialogCaptions_;
  QStringList launched_;
  QString launchedIn_;  // the current folder when the last program was started

  QString Path(const QString& name) const { return folder_.Path(name); }
  QString Example(const QString& example, const QString& as) { return folder_.Example(example, as); }

  QStringList RunFolders() const {
    return QDir(TEngineRunner().WorkRoot()).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
  }

 private slots:
  void initTestCase() {
    QVERIFY(folder_.Isolate());
    SetMessageSink([this](const TMessage& message) {
      messages_.append(message.text);
      if (answers_.empty()) return int(MbOk);
      const int answer = answers_.front();
      answers_.pop_front();
      return answer;
    });
    TMainForm::SetFileDialogHook([this](bool, const QString& caption, const QString&) {
      dialogCaptions_.append(caption);
      if (chosen_.empty()) return QString();
      const QString path = chosen_.front();
      chosen_.pop_front();
      return path;
    });
    TMainForm::SetLaunchHook([this](const QString& program, const QStringList& arguments) {
      launched_.append(program + QLatin1Char('|') + arguments.join(QLatin1Char('|')));
      launchedIn_ = QDir::currentPath();
      return true;
    });
  }

  void init() {
    messages_.clear();
    answers_.clear();
    chosen_.clear();
    dialogCaptions_.clear();
    launched_.clear();
    QSettings(QStringLiteral("Halvit"), QStringLiteral("TERVA")).clear();
  }

  void newProjectAndCommandLine() {
    {
      TMainForm main;
      main.Start();
      QCOMPARE(main.windowTitle(), QStringLiteral("TERVA " TERVA_VERSION " - NewData"));
      QVERIFY(main.Project().IsUnnamed());
    }
    const QString job = Example(QStringLiteral("compressor-half-space.tvd"), QStringLiteral("job.tvd"));
    QVERIFY(!job.isEmpty());
    {
      TMainForm main;
      main.Start(Path("job"));  // no dot: ".tvd" appended
      QCOMPARE(main.windowTitle(), QStringLiteral("TERVA " TERVA_VERSION " - Job"));
      QCOMPARE(main.Project().FileName, job);
      QCOMPARE(main.Project().Title, QStringLiteral("Compressor block on a half-space"));
    }
    {
      TMainForm main;
      main.Start(Path("nothing"));  // no such file: a new project
      QCOMPARE(main.windowTitle(), QStringLiteral("TERVA " TERVA_VERSION " - NewData"));
    }
    QVERIFY(messages_.isEmpty());
  }

  void displayName_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("shown");
    QTest::newRow("new") << "NewData.tvd" << "NewData";
    QTest::newRow("folder and case") << "/a/b/job.TVD" << "Job";
    QTest::newRow("first dot") << "/a/b.c/plant.v2.tvd" << "Plant";
    QTest::newRow("other extension") << "/a/plant.dat" << "Plant.dat";
    QTest::newRow("one letter") << "/a/x.tvd" << "x";
  }
  void displayName() {
    QFETCH(QString, file);
    QFETCH(QString, shown);
    QCOMPARE(TMainForm::DisplayNameOf(file), shown);
  }

  void recentFiles() {
    const QString a = Example(QStringLiteral("compressor-half-space.tvd"), QStringLiteral("a.tvd"));
    const QString b = Example(QStringLiteral("pile-group-4.tvd"), QStringLiteral("b.tvd"));
    TMainForm main;
    main.Start();
    QVERIFY(main.OpenProject(a));
    QVERIFY(main.OpenProject(b));
    QVERIFY(main.OpenProject(a));
    QCOMPARE(main.RecentFiles(), (QStringList{a, b}));
    main.OpenRecent(0);  // the top entry again: nothing moves
    QCOMPARE(main.RecentFiles(), (QStringList{a, b}));
    main.OpenRecent(1);
    QCOMPARE(main.RecentFiles(), (QStringList{b, a}));

    QSettings settings(QStringLiteral("Halvit"), QStringLiteral("TERVA"));
    settings.beginGroup(QStringLiteral(TERVA_VERSION));
    QCOMPARE(settings.value(QStringLiteral("File1")).toString(), b);
    QCOMPARE(settings.value(QStringLiteral("File2")).toString(), a);
    QCOMPARE(settings.value(QStringLiteral("File3")).toString(), QString());

    // The File menu: number, blank, path without the current folder.
    main.UpdateFileMenu();
    QCOMPARE(main.Action(QStringLiteral("FileRecent1"))->text(), QStringLiteral("1 b.tvd"));
    QVERIFY(main.Action(QStringLiteral("FileRecent2"))->isVisible());
    QVERIFY(!main.Action(QStringLiteral("FileRecent3"))->isVisible());
    QDir::setCurrent(QDir::tempPath());
    main.UpdateFileMenu();
    QCOMPARE(main.Action(QStringLiteral("FileRecent1"))->text(), QStringLiteral("1 ") + QDir::toNativeSeparators(b));

    // Eleven files: the oldest drops out, and a second window reads the list.
    for (int i = 0; i < 11; ++i) main.AddRecentFile(Path(QStringLiteral("p%1.tvd").arg(i)));
    QCOMPARE(main.RecentFiles().size(), TMainForm::kRecentCount);
    QCOMPARE(main.RecentFiles().first(), Path("p10.tvd"));
    TMainForm second;
    second.Start();
    QCOMPARE(second.RecentFiles(), main.RecentFiles());
  }

  void askToSave() {
    TMainForm main;
    main.Start();
    main.Project().Title = QStringLiteral("changed");
    main.SetModified();

    answers_ = {MbCancel};
    QVERIFY(!main.FileNew());
    QCOMPARE(main.Project().Title, QStringLiteral("changed"));
    QCOMPARE(messages_, QStringList{QStringLiteral("Do you want to save any changes?")});

    answers_ = {MbYes};  // unnamed: Save As, cancelled, so nothing happens
    QVERIFY(!main.FileNew());
    QCOMPARE(main.Project().Title, QStringLiteral("changed"));
    QCOMPARE(dialogCaptions_.last(), QStringLiteral("Save NewData As"));

    answers_ = {MbYes};  // Save As to a file, then the new project
    chosen_ = {Path("saved")};
    QVERIFY(main.FileNew());
    QVERIFY(QFile::exists(Path("saved.tvd")));
    QVERIFY(ReadAll(Path("saved.tvd")).contains("changed"));
    QVERIFY(main.Project().IsUnnamed());
    QCOMPARE(main.RecentFiles().value(0), Path("saved.tvd"));

    main.SetModified();
    answers_ = {MbNo};
    QVERIFY(main.FileNew());
    QVERIFY(!main.Modified());
    QVERIFY(answers_.empty());
  }

  // The caption's "*": set by an edit in a data window, a table cell or a
  // unit switch, cleared by Save, not set by opening a project.
  void captionMarksUnsavedChanges() {
    const QString prefix = QStringLiteral("TERVA " TERVA_VERSION " - ");
    TMainForm main;
    main.Start();
    QCOMPARE(main.windowTitle(), prefix + QStringLiteral("NewData"));

    auto* soil = qobject_cast<TDataForm*>(main.ShowChild(TChildId::SoilBelow));
    QVERIFY(soil);
    soil->Field(QStringLiteral("BelowVs"))->setFocus();
    QTest::keyClicks(soil->Field(QStringLiteral("BelowVs")), QStringLiteral("5"));
    QCOMPARE(main.windowTitle(), prefix + QStringLiteral("NewData*"));
    chosen_ = {Path("caption.tvd")};
    QVERIFY(main.FileSaveAs());
    QCOMPARE(main.windowTitle(), prefix + QStringLiteral("Caption"));

    main.Tables().D1()->Cell(0, 0).SetReal(1.5L);
    QCOMPARE(main.windowTitle(), prefix + QStringLiteral("Caption*"));
    QVERIFY(main.FileSave());
    QCOMPARE(main.windowTitle(), prefix + QStringLiteral("Caption"));

    main.SetUnits(1);
    QCOMPARE(main.windowTitle(), prefix + QStringLiteral("Caption*"));
    main.SetLoadType(2);
    QVERIFY(main.FileSave());
    QCOMPARE(main.windowTitle(), prefix + QStringLiteral("Caption"));

    TMainForm reopened;
    reopened.Start(Path("caption.tvd"));
    QCOMPARE(reopened.windowTitle(), prefix + QStringLiteral("Caption"));
    QVERIFY(messages_.isEmpty());
  }

  // Which Data commands are open for each foundation type and load type.
  void menuEnabling_data() {
    QTest::addColumn<int>("foundation");
    QTest::addColumn<int>("load");
    QTest::addColumn<QStringList>("enabled");
    QTest::addColumn<QStringList>("disabled");
    QTest::addColumn<QString>("sideSoil");
    const QStringList pileItems{"DataPileProperties", "DataPileElements", "DataPileCoordinates",
                                "DataPileCapMass", "DataPileCapShape", "DataSoilLayer"};
    const QStringList footing{"DataFoundationDimension", "DataMass", "DataFoundationShape"};
    QTest::newRow("half-space, harmonic")
        << 1 << 1 << footing + QStringList{"DataSoilBelow", "DataSideSoil", "DataHarmonic"}
        << pileItems + QStringList{"DataFoundationLayer", "DataSoilColumn", "DataTransient", "DataRandom"}
        << "Side Soil of Fondation";
    QTest::newRow("pile, transient")
        << 2 << 2 << pileItems + QStringList{"DataSoilBelow", "DataSideSoil", "DataTransient"}
        << footing + QStringList{"DataFoundationLayer", "DataSoilColumn", "DataHarmonic", "DataRandom"}
        << "Side Soil of Pile Cap";
    QTest::newRow("stratum, random")
        << 3 << 3 << footing + QStringList{"DataSoilBelow", "DataRandom"}
        << pileItems + QStringList{"DataFoundationLayer", "DataSideSoil", "DataSoilColumn", "DataHarmonic",
                                   "DataTransient"}
        << "Side Soil";
    QTest::newRow("multilayer, harmonic")
        << 4 << 1
        << footing + QStringList{"DataFoundationLayer", "DataSoilBelow", "DataSideSoil", "DataSoilColumn",
                                 "DataHarmonic"}
        << pileItems + QStringList{"DataTransient", "DataRandom"} << "Side Soil of Fondation";
  }
  void menuEnabling() {
    QFETCH(int, foundation);
    QFETCH(int, load);
    QFETCH(QStringList, enabled);
    QFETCH(QStringList, disabled);
    QFETCH(QString, sideSoil);
    TMainForm main;
    main.Start();
    main.Project().SetFoundation(static_cast<TFoundationType>(foundation));
    main.SetLoadType(load);
    main.UpdateDataMenu();
    for (const QString& name : enabled) QVERIFY2(main.Action(name)->isEnabled(), qPrintable(name));
    for (const QString& name : disabled) QVERIFY2(!main.Action(name)->isEnabled(), qPrintable(name));
    QCOMPARE(main.Action(QStringLiteral("DataSideSoil"))->text(), sideSoil);
    QVERIFY(main.Action(QStringList{"", "LoadHarmonic", "LoadTransient", "LoadRandom"}[load])->isChecked());
  }

  void multilayerSoilColumnRows() {
    TMainForm main;
    main.Start();
    main.Project().SetFoundation(TFoundationType::Multilayer);
    main.Tables().MultiElement()->SetRowCount(5);
    main.Tables().D()->SetRowCount(2);
    main.UpdateDataMenu();
    QCOMPARE(main.Tables().Multisoil()->RowCount(), 3);
    main.Tables().D()->SetRowCount(7);  // more soil layers than elements: the table keeps its minimum
    main.UpdateDataMenu();
    QCOMPARE(main.Tables().Multisoil()->RowCount(), main.Tables().Multisoil()->MinRows());
  }

  void loadTypeClosesOtherLoadWindows() {
    TMainForm main;
    main.Start();
    int made = 0;
    for (TChildId id : {TChildId::Transient, TChildId::Random, TChildId::Quadratic, TChildId::NonQuadratic})
      main.RegisterChild(id, [&made](TMainForm&) {
        ++made;
        return new QWidget;
      });
    main.Project().Quadratic = 0;
    main.SetLoadType(1);
    main.Action(QStringLiteral("HarmonicNonQuadratic"))->trigger();
    QVERIFY(main.ChildOpen(TChildId::NonQuadratic));
    main.ShowChild(TChildId::NonQuadratic);  // shown again, not made again
    QCOMPARE(made, 1);
    main.Action(QStringLiteral("HarmonicQuadratic"))->trigger();
    QCOMPARE(main.Project().Quadratic, 1);
    main.UpdateLoadType();
    QVERIFY(!main.ChildOpen(TChildId::NonQuadratic));
    QVERIFY(main.ChildOpen(TChildId::Quadratic));
    main.SetLoadType(2);
    main.ShowChild(TChildId::Transient);
    QVERIFY(!main.ChildOpen(TChildId::Quadratic));
    main.SetLoadType(3);
    QVERIFY(!main.ChildOpen(TChildId::Transient));
  }

  void runAnalysisOnSavedExample() {
    const QString project = Example(QStringLiteral("pile-group-4.tvd"), QStringLiteral("run.tvd"));
    TMainForm main;
    main.Start(project);
    QSignalSpy finished(&main, &TMainForm::RunFinished);
    main.Action(QStringLiteral("RunAnalysis"))->trigger();
    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished.first().first().toInt(), 0);
    QCOMPARE(messages_, QStringList{kCompleted});
    const QByteArray report = ReadAll(Path("run.tvo"));
    QVERIFY(report.contains("Turbine pedestal on four piles"));
    QVERIFY(report.contains("FOOTING RESPONSE AMPLITUDES"));
    QVERIFY(QFile::exists(Path("run.tvp")));
    // No run file list anywhere, no working folder left, no scratch files.
    QVERIFY(!QFile::exists(QDir(QCoreApplication::applicationDirPath()).filePath("names.dat")));
    QVERIFY(!QFile::exists(Path("names.dat")));
    QVERIFY(!QFile::exists(Path("TAPE7")));
    QVERIFY(RunFolders().isEmpty());
    // The plots hold the run's curves.
    QVERIFY(main.Plots().pltRealKXX.LineCount() > 0);
    QVERIFY(main.Plots().pltRealKXX.Line(0).PointCount() == 25);
    QVERIFY(!main.RunDialog()->isVisible());
    QVERIFY(!TEngineRunner::Busy());
    // every digit and the phases from the results file delivered beside the report
    QVERIFY(QFile::exists(Path("run.tvj")));
    QVERIFY(main.Plots().fullPrecision);
    QVERIFY(main.Plots().HasPhases());
    QVERIFY(main.statusBar()->currentMessage().isEmpty() || !main.statusBar()->currentMessage().contains("three"));

    // The same results without their results file (an older run): they open,
    // with three digits, and the status bar says so.
    QVERIFY(QFile::remove(Path("run.tvj")));
    TMainForm older;
    older.Start(project);
    QVERIFY(older.ResultsAvailable());
    QVERIFY(!older.Plots().fullPrecision);
    QVERIFY(!older.Plots().HasPhases());
    QVERIFY2(older.statusBar()->currentMessage().contains("three significant digits"),
             qPrintable(older.statusBar()->currentMessage()));
    // the springs and dashpots need the constants: this project has no MATRIX option
    QCOMPARE(older.SpringsDashpotsAvailable(), older.Project().Matrix == 1);
    QVERIFY(main.SpringsDashpotsAvailable());
  }

  void runAnalysisOfUnnamedProjectEndsSilentlyOnCancel() {
    TMainForm main;
    main.Start();
    main.RunAnalysis();
    QCOMPARE(dialogCaptions_, QStringList{QStringLiteral("Save NewData As")});
    QVERIFY(messages_.isEmpty());
    QVERIFY(main.Project().IsUnnamed());
  }

  void missingEngineLibrary() {
    const QString project = Example(QStringLiteral("compressor-half-space.tvd"), QStringLiteral("nolib.tvd"));
    qputenv("TERVA_ENGINE", Path("no-such-library.so").toLocal8Bit());
    TMainForm main;
    main.Start(project);
    main.RunAnalysis();
    qunsetenv("TERVA_ENGINE");
    QCOMPARE(messages_, QStringList{QStringLiteral("Attempt to initialize DLL failed")});
    QVERIFY(!QFile::exists(Path("nolib.tvo")));
  }

  void libraryLoaderErrors() {
    TLibraryLoader missing(Path("missing.so"));
    try {
      missing.Open();
      QFAIL("a missing library must raise");
    } catch (const TLibraryError& error) {
      QCOMPARE(error.Message(), QStringLiteral("Library could not be located"));
    }
    try {
      missing.Entry("_ITERVA");
      QFAIL("a closed library must raise");
    } catch (const TLibraryError& error) {
      QCOMPARE(error.Message(), QStringLiteral("Library is not open"));
    }
    QFile junk(Path("junk.so"));
    QVERIFY(junk.open(QIODevice::WriteOnly));
    junk.write("not a library");
    junk.close();
    TLibraryLoader broken(Path("junk.so"));
    QVERIFY_THROWS_EXCEPTION(TLibraryError, broken.Open());
    QVERIFY(!broken.IsOpen());
  }

  // Two programs running at once each get their own report.
  void twoProcessesAtOnce() {
    const QString first = Example(QStringLiteral("pile-group-4.tvd"), QStringLiteral("one.tvd"));
    const QString second = Example(QStringLiteral("compressor-half-space.tvd"), QStringLiteral("two.tvd"));
    QProcess a, b;
    for (QProcess* process : {&a, &b}) {
      QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
      environment.insert(QStringLiteral("TERVA_TEST_RUN"), process == &a ? first : second);
      process->setProcessEnvironment(environment);
    }
    a.start(QCoreApplication::applicationFilePath(), {});
    b.start(QCoreApplication::applicationFilePath(), {});
    QVERIFY(a.waitForFinished(120000));
    QVERIFY(b.waitForFinished(120000));
    QCOMPARE(a.exitCode(), 0);
    QCOMPARE(b.exitCode(), 0);
    const QByteArray one = ReadAll(Path("one.tvo"));
    const QByteArray two = ReadAll(Path("two.tvo"));
    QVERIFY(one.contains("Turbine pedestal on four piles") && !one.contains("Compressor"));
    QVERIFY(two.contains("Compressor block on a half-space") && !two.contains("Turbine"));
    QVERIFY(one.contains("FOOTING RESPONSE AMPLITUDES") && two.contains("FOOTING RESPONSE AMPLITUDES"));
  }

  void runDialog() {
    TDlgRunAnalysis dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Terva, Run Analysis"));
    dialog.Start();
    QCOMPARE(dialog.ProgressBar()->value(), 50);
    QTest::qWait(TDlgRunAnalysis::kTickMs * 6 + 50);  // 50 → 100 → wraps to 0 (or beyond)
    QVERIFY(dialog.ProgressBar()->value() < 50);
    dialog.reject();  // refused while running
    QVERIFY(dialog.isVisible());
    dialog.Finish();
    QVERIFY(!dialog.isVisible());
  }

  void editorsAndViewer() {
    const QString project = Example(QStringLiteral("compressor-half-space.tvd"), QStringLiteral("edit.tvd"));
    TMainForm main;
    main.Start(project);
    main.SetEditorPath(QString());  // the desktop's default application
    main.UpdateComputationMenu();
    QVERIFY(main.Action(QStringLiteral("EditInput"))->isEnabled());
    QVERIFY(!main.Action(QStringLiteral("EditOutput"))->isEnabled());
    main.EditFile(QStringLiteral(".tvd"));
    QCOMPARE(launched_, QStringList{QStringLiteral("|") + project});
    launched_.clear();
    main.SetEditorPath(QStringLiteral("/bin/sh"));  // an executable program
    main.EditFile(QStringLiteral(".tvo"));
    QCOMPARE(launched_, QStringList{QStringLiteral("/bin/sh|") + Path("edit.tvo")});

    // The build puts the viewer beside the program: it is started from the
    // program's folder, with the run file list left there for it. Without
    // it: the message, nothing started.
    launched_.clear();
    const QDir programFolder(QCoreApplication::applicationDirPath());
    const QString viewer = ViewerBesideProgram();
    main.View3D();
    if (QFileInfo(viewer).isFile()) {
      QVERIFY(messages_.isEmpty());
      QCOMPARE(launched_, QStringList{viewer + QStringLiteral("|")});
      const QList<QByteArray> names = ReadAll(programFolder.filePath("names.dat")).split('\n');
      QVERIFY(names.size() >= 6);
      QCOMPARE(names[4].trimmed(), Path("edit.tvt").toLocal8Bit());
    } else {
      QCOMPARE(messages_, QStringList{QStringLiteral("An error occurred in running the Graphics Processor")});
      QVERIFY(launched_.isEmpty());
    }
    QFile::remove(programFolder.filePath("names.dat"));
  }

  // An installed program's folder takes no run file list (here: a folder
  // stands in the way): the list goes into the user's data folder and the
  // viewer is started there, from the program's folder.
  void viewerWithReadOnlyProgramFolder() {
    const QDir programFolder(QCoreApplication::applicationDirPath());
    const QString viewer = ViewerBesideProgram();
    if (!QFileInfo(viewer).isFile()) QSKIP("the viewer is not built");
    const QString blocker = programFolder.filePath(QStringLiteral("names.dat"));
    if (QFileInfo::exists(blocker)) QSKIP("names.dat is in the program's folder");
    QVERIFY(QDir().mkdir(blocker));
    struct Remove {
      QString path;
      ~Remove() { QDir().rmdir(path); }
    } remove{blocker};
    const QString project = Example(QStringLiteral("compressor-half-space.tvd"), QStringLiteral("view.tvd"));
    const QString before = QDir::currentPath();
    TMainForm main;
    main.Start(project);
    main.View3D();
    QDir::setCurrent(before);
    QVERIFY2(messages_.isEmpty(), qPrintable(messages_.join('\n')));
    QCOMPARE(launched_, QStringList{viewer + QStringLiteral("|")});
    const QString folder = Path(QStringLiteral("data/Halvit/TERVA/viewer"));
    QCOMPARE(QFileInfo(launchedIn_).canonicalFilePath(), QFileInfo(folder).canonicalFilePath());
    const QList<QByteArray> names = ReadAll(QDir(folder).filePath("names.dat")).split('\n');
    QVERIFY(names.size() >= 6);
    QCOMPARE(names[4].trimmed(), Path("view.tvt").toLocal8Bit());
  }

  void optionsWindow() {
    const QString project = Example(QStringLiteral("compressor-half-space.tvd"), QStringLiteral("opt.tvd"));
    TMainForm main;
    main.Start(project);
    main.SetEditorPath(QStringLiteral("/usr/bin/editor"));
    auto* options = qobject_cast<TDlgOptions*>(main.ShowChild(TChildId::ControlOptions));
    QVERIFY(options);
    QCOMPARE(options->EdtWord()->text(), QStringLiteral("/usr/bin/editor"));
    QVERIFY(options->MatrixBox()->isChecked());
    options->EdtWord()->setText(QStringLiteral("/no/such/editor"));  // taken as it stands
    options->MatrixBox()->setChecked(false);
    TDlgOptions::SetBrowseHook([](const QString& start) { return start + QStringLiteral("-chosen"); });
    options->BrowseButton()->click();
    TDlgOptions::SetBrowseHook({});
    QCOMPARE(options->EdtWord()->text(), QStringLiteral("/no/such/editor-chosen"));
    QVERIFY(main.DeactivateActiveChild());
    QCOMPARE(main.EditorPath(), QStringLiteral("/no/such/editor-chosen"));
    QCOMPARE(main.Project().Matrix, 0);
    // The MATRIX option is written to the project file: its change marks the
    // project (closing without a save would lose it) and is a step that
    // undoes; the editor path is a setting, not the project's.
    QVERIFY(main.Modified());
    QCOMPARE(main.Action("EditUndo")->text(), QStringLiteral("&Undo Edit Control Options"));
    main.Undo();
    QCOMPARE(main.Project().Matrix, 1);
    QVERIFY(options->MatrixBox()->isChecked());
    QVERIFY(!main.Modified());
    main.Redo();
    QCOMPARE(main.Project().Matrix, 0);
    QVERIFY(main.FileSave());
    QVERIFY(!ReadAll(project).contains("MATRIX"));
    main.CloseChild(TChildId::ControlOptions);
    QVERIFY(!main.ChildOpen(TChildId::ControlOptions));
  }

  void titleWindow() {
    const QString a = Example(QStringLiteral("compressor-half-space.tvd"), QStringLiteral("ta.tvd"));
    const QString b = Example(QStringLiteral("pile-group-4.tvd"), QStringLiteral("tb.tvd"));
    TMainForm main;
    main.Start(a);
    auto* title = qobject_cast<TdlgTitle*>(main.ShowChild(TChildId::Title));
    QVERIFY(title);
    TTitleMemo* memo = title->TitleMemo();
    QCOMPARE(memo->toPlainText(), QStringLiteral("Compressor block on a half-space"));

    memo->clear();
    const QString eighty(80, QLatin1Char('x'));
    memo->setFocus();
    QTest::keyClicks(memo, eighty + QStringLiteral("y"));  // no 81st character
    QTest::keyClick(memo, Qt::Key_Return);                 // no line break
    QCOMPARE(memo->toPlainText(), eighty);
    memo->clear();
    auto* mime = new QMimeData;
    mime->setText(QStringLiteral("two\nlines"));
    QApplication::clipboard()->setMimeData(mime);
    memo->paste();
    QCOMPARE(memo->toPlainText(), QStringLiteral("two lines"));
    memo->setPlainText(eighty);
    QVERIFY(main.DeactivateActiveChild());
    QCOMPARE(main.Project().Title, eighty);
    QVERIFY(main.Modified());
    QVERIFY(main.FileSave());
    QVERIFY(ReadAll(a).contains(eighty.toUpper().toLatin1()) || ReadAll(a).contains(eighty.toLatin1()));

    main.CloseChild(TChildId::Title);
    QVERIFY(main.OpenProject(b));
    title = qobject_cast<TdlgTitle*>(main.ShowChild(TChildId::Title));
    QCOMPARE(title->TitleMemo()->toPlainText(), QStringLiteral("Turbine pedestal on four piles"));
  }

  void titleWarnings_data() {
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("warned");
    QTest::newRow("comma") << "Compressor block, 2 machines" << true;
    QTest::newRow("safe") << "Compressor block of plant 7" << false;
    QTest::newRow("equals") << "K=2" << true;
    QTest::newRow("dollar") << "Block $ costs" << true;
    QTest::newRow("lone letter") << "Block T of plant" << true;
    QTest::newRow("letter in a word") << "Turbine Hall" << false;
    QTest::newRow("lower case") << "block t" << false;
  }
  void titleWarnings() {
    QFETCH(QString, title);
    QFETCH(bool, warned);
    QCOMPARE(!TitleWarning(title).isEmpty(), warned);
    TMainForm main;
    main.Start();
    auto* window = qobject_cast<TdlgTitle*>(main.ShowChild(TChildId::Title));
    window->TitleMemo()->setPlainText(title);
    QCOMPARE(window->WarningLabel()->isVisibleTo(window), warned);
  }

  void failedLoadKeepsTheProject() {
    const QString good = Example(QStringLiteral("compressor-half-space.tvd"), QStringLiteral("good.tvd"));
    QFile bad(Path("bad.tvd"));
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write("TITLE\r\nX\r\nGRAVITY=abc\r\n");
    bad.close();
    TMainForm main;
    main.Start(good);
    const bool loaded = main.OpenProject(Path("bad.tvd"));
    QCOMPARE(messages_.size(), 1);
    if (!loaded) {
      QCOMPARE(main.Project().FileName, good);
      QCOMPARE(main.windowTitle(), QStringLiteral("TERVA " TERVA_VERSION " - Good"));
    } else {
      QCOMPARE(main.Project().FileName, Path("bad.tvd"));  // stopped: what was read is kept
    }
    // A failed file does not join the recent files.
    QCOMPARE(main.RecentFiles().contains(Path("bad.tvd")), loaded);
  }

  void droppedFileIsOpened() {
    const QString dropped = Example(QStringLiteral("pile-group-4.tvd"), QStringLiteral("dropped.tvd"));
    TMainForm main;
    main.Start();
    main.SetModified();
    answers_ = {MbNo};
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(dropped)});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&main, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&main, &drop);
    QCOMPARE(messages_, QStringList{QStringLiteral("Do you want to save any changes?")});
    QCOMPARE(main.Project().FileName, dropped);
    QCOMPARE(main.windowTitle(), QStringLiteral("TERVA " TERVA_VERSION " - Dropped"));
    QVERIFY(main.RecentFiles().isEmpty());
  }

  void aboutBoxIsModalWithVersion() {
    TMainForm main;
    main.Start();
    QTimer::singleShot(0, [] {
      QWidget* box = QApplication::activeModalWidget();
      QVERIFY(box);
      auto* version = box->findChild<QLabel*>(QStringLiteral("VersionLabel"));
      QVERIFY(version);
      QCOMPARE(version->text(), QStringLiteral("Version " TERVA_VERSION));
      box->close();
    });
    main.ShowAbout();
  }

  void manualOpensInHelpWindow() {
    TMainForm main;
    main.Start();
    main.Action(QStringLiteral("HelpManual"))->trigger();
    auto* browser = main.findChild<QTextBrowser*>(QStringLiteral("ManualBrowser"));
    QVERIFY(browser);
    QVERIFY(browser->toPlainText().contains(QStringLiteral("Run Analysis")));
  }

  // Help > Validation opens the validation page, with its plots, in a window of its own beside the manual.
  void validationOpensBesideTheManual() {
    TMainForm main;
    main.Start();
    main.Action(QStringLiteral("HelpManual"))->trigger();
    main.Action(QStringLiteral("HelpValidation"))->trigger();
    auto* manual = main.findChild<QTextBrowser*>(QStringLiteral("ManualBrowser"));
    auto* page = main.findChild<QTextBrowser*>(QStringLiteral("ValidationBrowser"));
    QVERIFY(manual && page);
    QVERIFY(manual->window() != page->window());
    QVERIFY(page->toPlainText().contains(QStringLiteral("Lysmer")));
    const QVariant plot =
        page->document()->resource(QTextDocument::ImageResource, QUrl(QStringLiteral("validation/lysmer.png")));
    QVERIFY(!plot.value<QImage>().isNull());
  }
};

// As a child process (TERVA_TEST_RUN set) the test runs the engine once on
// the project named and exits with its code.
int main(int argc, char* argv[]) {
  const QString run = qEnvironmentVariable("TERVA_TEST_RUN");
  if (!run.isEmpty()) {
    QCoreApplication app(argc, argv);
    const TRunResult result = TEngineRunner().Run(run);
    return result.Delivered() ? result.code : 100 + result.status;
  }
  QApplication app(argc, argv);
  MainWindowTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "main_window_test.moc"
