#include "gui/app/Main.hpp"

#include <algorithm>

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QCryptographicHash>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMimeData>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <QSettings>
#include <QStatusBar>
#include <QTextBrowser>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QThread>
#include <QUrl>
#include <QVBoxLayout>

#include "gui/model/Table.hpp"
#include "gui/plots/AmpPlot.hpp"
#include "gui/plots/PlotForm.hpp"
#include "gui/widgets/TableForm.hpp"
#include "gui/app/Options.hpp"
#include "gui/app/ResultsDialogs.hpp"
#include "gui/app/RunAnalysis.hpp"
#include "gui/views/ReportViewer.hpp"
#include "gui/app/Title.hpp"
#include "gui/core/EngineHost.hpp"
#include "gui/core/EngineRunner.hpp"
#include "gui/core/Messages.hpp"
#include "gui/model/ProgramData.hpp"
#include "gui/files/ProjectReader.hpp"
#include "gui/model/ProjectTables.hpp"
#include "gui/views/GeometryView.hpp"
#include "gui/files/ProjectWriter.hpp"
#include "gui/forms/Foundations.hpp"
#include "gui/forms/Layout.hpp"
#include "gui/forms/Massdata.hpp"
#include "gui/forms/Multimat.hpp"
#include "gui/forms/Quadratic.hpp"
#include "gui/forms/SoilParams.hpp"
#include "gui/forms/Tipsoil.hpp"
#include "gui/forms/cPileProperties.hpp"
#include "gui/forms/harmonic.hpp"
#include "gui/forms/ncPileProperties.hpp"
#include "gui/forms/random.hpp"
#include "gui/forms/transient.hpp"
#include "gui/widgets/ChildForm.hpp"
#include "gui/widgets/TableWindows.hpp"

// The manual and its pictures live in a resource of the static library.
static void InitResources() { Q_INIT_RESOURCE(manual); }

namespace terva::gui {

const QString TMainForm::kVersion = QStringLiteral("3.0.5");
const QString TMainForm::kCaptionPrefix = QStringLiteral("TERVA 3.0.5 - ");
const QString TMainForm::kUpdatePage = QStringLiteral("https://terva.example.org/releases");

namespace {

const QString kSettingsGroup = QStringLiteral("3.0.5");
const QString kEditorKey = QStringLiteral("Word Processor");
const QString kFilter = QStringLiteral("TERVA 3.0.5 (*.tvd);;All Files (*)");
const QString kCompleted =
    QStringLiteral("Computations are completed. Please, check output file for results or error messages.");
const QString kEditorFailed = QStringLiteral("An error occurred in running the Word Processor");
const QString kViewerFailed = QStringLiteral("An error occurred in running the Graphics Processor");
const QString kAskToSave = QStringLiteral("Do you want to save any changes?");

TMainForm::FileDialogHook& DialogHook() {
  static TMainForm::FileDialogHook hook;
  return hook;
}
TMainForm::EngineHook& RunnerHook() {
  static TMainForm::EngineHook hook;
  return hook;
}

TMainForm::ExportChoiceHook& ChoiceHook() {
  static TMainForm::ExportChoiceHook hook;
  return hook;
}

TMainForm::LaunchHook& StartHook() {
  static TMainForm::LaunchHook hook;
  return hook;
}

void Inform(const QString& text) { ShowMessage(TMessageKind::Information, QStringLiteral("TERVA"), text, MbOk); }

QString ViewerName() {
#ifdef Q_OS_WIN
  return QStringLiteral("Terva3-viewer.exe");
#else
  return QStringLiteral("Terva3-viewer");
#endif
}

// The window captions of the children, for the Window menu.
QString ChildCaption(QMdiSubWindow* window) {
  const QString title = window->windowTitle();
  return title.isEmpty() && window->widget() ? window->widget()->windowTitle() : title;
}

// The data windows, each made for the main window's project and tables.
void RegisterDataWindows(TMainForm& main) {
  auto context = [](TMainForm& m) {
    TFormContext c;
    c.project = [&m]() -> TProgramData& { return m.Project(); };
    c.tables = &m.Tables();
    c.foundationTypeChanged = [&m] { m.FoundationTypeChanged(); };
    return c;
  };
  auto form = [&main, context](TChildId id, auto make) {
    main.RegisterChild(id, [context, make](TMainForm& m) -> QWidget* { return make(context(m)); });
  };
  form(TChildId::FoundationOptions, [](const TFormContext& c) { return new TfrmLayout(c); });
  form(TChildId::FoundationShape, [](const TFormContext& c) { return new TfrmShape(c); });
  form(TChildId::MassData, [](const TFormContext& c) { return new TfrmMassdata(c); });
  form(TChildId::PileCapProperties, [](const TFormContext& c) { return new TfrmNCPileProperties(c); });
  form(TChildId::FoundationData, [](const TFormContext& c) { return new TfrmFoundations(c); });
  form(TChildId::FoundationProperties, [](const TFormContext& c) { return new TfrmMultimat(c); });
  form(TChildId::PileProperties, [](const TFormContext& c) { return new TfrmCPileProperties(c); });
  form(TChildId::SoilBelow, [](const TFormContext& c) { return new TfrmTipsoil(c); });
  form(TChildId::NonQuadratic, [](const TFormContext& c) { return new Tfrmharmonic(c); });
  form(TChildId::Quadratic, [](const TFormContext& c) { return new TfrmQuad(c); });
  form(TChildId::Transient, [](const TFormContext& c) { return new Tfrmtransient(c); });
  form(TChildId::Random, [](const TFormContext& c) { return new Tfrmrandom(c); });
}

// The geometry views follow the project: a new or opened project and every
// value a data window stores redraw them (the tables tell them themselves).
void RegisterGeometryViews(TMainForm& main) {
  auto view = [&main](TChildId id, TViewPlane plane) {
    main.RegisterChild(id, [plane](TMainForm& m) -> QWidget* {
      auto* v = new TGeometryView(plane, [&m]() -> const TProgramData& { return m.Project(); }, m.Tables());
      QObject::connect(&m, &TMainForm::ProjectReplaced, v, &TGeometryView::Refresh);
      QObject::connect(&m, &TMainForm::ProjectEdited, v, &TGeometryView::Refresh);
      return v;
    });
  };
  view(TChildId::TopView, TViewPlane::Top);
  view(TChildId::SideViewXZ, TViewPlane::SideXZ);
  view(TChildId::SideViewYZ, TViewPlane::SideYZ);
}

}  // namespace

void TMainForm::SetFileDialogHook(FileDialogHook hook) { DialogHook() = std::move(hook); }
void TMainForm::SetLaunchHook(LaunchHook hook) { StartHook() = std::move(hook); }
void TMainForm::SetEngineHook(EngineHook hook) { RunnerHook() = std::move(hook); }
void TMainForm::SetExportChoiceHook(ExportChoiceHook hook) { ChoiceHook() = std::move(hook); }

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent) {
  InitResources();
  setObjectName(QStringLiteral("MainForm"));
  setAcceptDrops(true);
  tables_ = std::make_unique<TProjectTables>();
  project_ = NewProject(*tables_);

  mdi_ = new QMdiArea(this);
  mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  mdi_->setActivationOrder(QMdiArea::CreationOrder);
  setCentralWidget(mdi_);
  connect(mdi_, &QMdiArea::subWindowActivated, this, &TMainForm::SubWindowActivated);

  // Table windows open as children of the main window.
  InstallTableWindows().SetHost([this](TTableForm* form) {
    QMdiSubWindow* frame = mdi_->addSubWindow(form);
    frame->setWindowTitle(form->windowTitle());
    frame->setAttribute(Qt::WA_DeleteOnClose);
    frame->show();
  });

  runDialog_ = new TDlgRunAnalysis(this);

  RegisterChild(TChildId::Title, [](TMainForm& main) { return new TdlgTitle(main); });
  RegisterChild(TChildId::ControlOptions, [](TMainForm& main) { return new TDlgOptions(main); });
  RegisterDataWindows(*this);
  RegisterGeometryViews(*this);
  // The result plot windows, one per plot of the Graphics menu.
  const std::pair<TChildId, TGraphPlot TResultPlots::*> plotWindows[] = {
      {TChildId::PlotTranslationalStiffness, &TResultPlots::pltRealKXX},
      {TChildId::PlotRotationalStiffness, &TResultPlots::pltRealKPPX},
      {TChildId::PlotTranslationalDamping, &TResultPlots::pltDampCXX},
      {TChildId::PlotRotationalDamping, &TResultPlots::pltDampCPPX},
      {TChildId::PlotDisplacement, &TResultPlots::pltDxyzR},
      {TChildId::PlotRotation, &TResultPlots::pltMxyzR}};
  for (const auto& [id, member] : plotWindows)
    RegisterChild(id, [member](TMainForm& main) -> QWidget* {
      auto* form = new TPlotForm(main.Plots().*member);
      connect(form, &TPlotForm::AddComparisonRequested, &main, &TMainForm::AddComparisonCommand);
      connect(form, &TPlotForm::RemoveComparisonRequested, &main,
              [&main](const QString& name) { main.RemoveComparison(name); });
      return form;
    });

  CreateActions();
  CreateMenus();
  statusBar()->showMessage(QStringLiteral("Ready"), 2000);
  resize(1200, 760);
  UpdateCaption();
}

TMainForm::~TMainForm() {
  InstallTableWindows().SetHost({});
  // Table windows go before their tables.
  mdi_->closeAllSubWindows();
  for (QMdiSubWindow* window : mdi_->subWindowList()) delete window;
}

// ---------------------------------------------------------------------------
// Menus

QAction* TMainForm::MakeAction(const QString& name, const QString& caption, std::function<void()> slot,
                               const QKeySequence& shortcut) {
  auto* action = new QAction(caption, this);
  action->setObjectName(name);
  if (!shortcut.isEmpty()) action->setShortcut(shortcut);
  if (slot) connect(action, &QAction::triggered, this, [slot = std::move(slot)] { slot(); });
  return action;
}

QAction* TMainForm::Action(const QString& name) const { return findChild<QAction*>(name); }

void TMainForm::CreateActions() {
  MakeAction("FileNew", "&New", [this] { FileNew(); }, QKeySequence::New)->setStatusTip("Start a new project");
  MakeAction("FileOpen", "&Open...", [this] { FileOpen(); }, QKeySequence::Open)
      ->setStatusTip("Open a project file");
  MakeAction("FileSave", "&Save", [this] { FileSave(); }, QKeySequence::Save)->setStatusTip("Save the project");
  MakeAction("FileSaveAs", "Save &As...", [this] { FileSaveAs(); })
      ->setStatusTip("Save the project under another name");
  MakeAction("FileExportResults", "&Export Results...", [this] { ExportResultsCommand(); })
      ->setStatusTip("Write the last run's results as CSV or JSON files beside the project");
  MakeAction("FileAddComparison", "Add Results for &Comparison...", [this] { AddComparisonCommand(); })
      ->setStatusTip("Show another project's result curves beside this project's in the plots");
  MakeAction("FileRemoveComparisons", "Remove Compared Results", [this] { RemoveComparison(); })
      ->setStatusTip("Take every compared project's curves out of the plots");
  MakeAction("FileExit", "E&xit", [this] { close(); })->setStatusTip("Close the program");
  for (int i = 0; i < kRecentCount; ++i) {
    recentActions_[i] = MakeAction(QStringLiteral("FileRecent%1").arg(i + 1), {}, [this, i] { OpenRecent(i); });
    recentActions_[i]->setVisible(false);
  }

  MakeAction("DataTitle", "&Title", [this] { ShowChild(TChildId::Title); });
  unitGroup_ = new QActionGroup(this);
  for (int system : {1, 2}) {
    QAction* unit = MakeAction(system == 1 ? "UnitsEnglish" : "UnitsSI",
                               system == 1 ? "&English Units (lbs, slug, ft)" : "&SI Units (kN, Mg, m)",
                               [this, system] { SetUnits(system); });
    unit->setCheckable(true);
    unitGroup_->addAction(unit);
  }
  MakeAction("DataFoundationOptions", "Option of Foundation System",
             [this] { ShowChild(TChildId::FoundationOptions); });
  loadGroup_ = new QActionGroup(this);
  const char* loadNames[] = {"LoadHarmonic", "LoadTransient", "LoadRandom"};
  const char* loadCaptions[] = {"Harmonic Loading", "Transient Loading", "Random Loading"};
  for (int type = 1; type <= 3; ++type) {
    QAction* load = MakeAction(loadNames[type - 1], loadCaptions[type - 1], [this, type] { SetLoadType(type); });
    load->setCheckable(true);
    loadGroup_->addAction(load);
  }
  MakeAction("DataFoundationShape", "Option of Foundation Shape", [this] { ShowChild(TChildId::FoundationShape); });
  MakeAction("DataPileCapShape", "Pile Cap Shape/Dimension", [this] { ShowChild(TChildId::FoundationShape); });
  MakeAction("DataMass", "Footing Mass Parameters", [this] { ShowChild(TChildId::MassData); });
  MakeAction("DataFoundationDimension", "Foundation Dimension and Constants", [this] { ShowFoundationDimension(); });
  MakeAction("DataFoundationLayer", "Foundation Layer", [this] { ShowTable(tables_->MultiElement()); });
  MakeAction("DataPileCapMass", "Pile Cap Mass Properties", [this] { ShowChild(TChildId::PileCapProperties); });
  MakeAction("DataPileCoordinates", "Pile Coordinates", [this] { ShowTable(tables_->Pilecoord()); });
  MakeAction("DataPileProperties", "&Pile Properties", [this] { ShowChild(TChildId::PileProperties); });
  MakeAction("DataPileElements", "Pile Elements", [this] { ShowTable(tables_->PileData()); });
  MakeAction("DataSoilLayer", "Soil &Layer Data", [this] {
    if (project_->FoundationCode == TFoundationType::Pile) ShowTable(tables_->D());
  });
  MakeAction("DataSoilBelow", "Soil Data Below Footing/PileTip", [this] { ShowChild(TChildId::SoilBelow); });
  MakeAction("DataSideSoil", "Side Soil of Fondation", [this] { ShowSideSoil(); });
  MakeAction("DataSoilColumn", "Soil Column Layer", [this] { ShowTable(tables_->Multisoil()); });
  QAction* quadratic = MakeAction("HarmonicQuadratic", "Quadratic", [this] { ShowHarmonic(1); });
  QAction* nonQuadratic = MakeAction("HarmonicNonQuadratic", "NonQuadratic", [this] { ShowHarmonic(0); });
  quadratic->setCheckable(true);
  nonQuadratic->setCheckable(true);
  MakeAction("DataTransient", "Transient Loading Data", [this] { ShowChild(TChildId::Transient); });
  MakeAction("DataRandom", "Random Loading Data", [this] { ShowChild(TChildId::Random); });
  MakeAction("DataOptions", "Control &Options...", [this] { ShowChild(TChildId::ControlOptions); });

  MakeAction("RunAnalysis", "&Run Analysis", [this] { RunAnalysis(); }, QKeySequence(Qt::Key_F9))
      ->setStatusTip("Save the project and analyse it");
  MakeAction("EditInput", "Edit I&nput Text", [this] { EditFile(QStringLiteral(".tvd")); });
  MakeAction("EditNotes", "Edit &Processor-Run Notes", [this] { EditFile(QStringLiteral(".tvr")); });
  MakeAction("EditOutput", "Edit &Output Text", [this] { EditFile(QStringLiteral(".tvo")); });
  MakeAction("ViewReport", "&View Report", [this] { ShowReport(TRunFiles::Beside(project_->FileName).report); },
             QKeySequence(Qt::CTRL | Qt::Key_R))
      ->setStatusTip("Show the report of the last complete run: find, error lines, print, PDF");
  MakeAction("ViewFailedReport", "View Report of Last &Failed Run",
             [this] { ShowReport(TRunFiles::Beside(project_->FileName).failed); })
      ->setStatusTip("Show the report of the last run that gave no results (its previous results were kept)");
  MakeAction("SpringsDashpots", "&Springs and Dashpots at a Frequency...", [this] { ShowSpringsDashpots(); })
      ->setStatusTip("Equivalent springs and dashpots of the foundation at an operating frequency");

  MakeAction("ViewTop", "Top View", [this] { ShowChild(TChildId::TopView); });
  MakeAction("ViewSideXZ", "Side View (XZ-Plane)", [this] { ShowChild(TChildId::SideViewXZ); });
  MakeAction("ViewSideYZ", "Side View (YZ-Plane)", [this] { ShowChild(TChildId::SideViewYZ); });
  MakeAction("View3D", "3D View", [this] { View3D(); });

  MakeAction("GraphicsTranslationalStiffness", "&Translational Stiffness (Kxx, Kyy, Kww)",
             [this] { ShowChild(TChildId::PlotTranslationalStiffness); });
  MakeAction("GraphicsRotationalStiffness", "Rotational Stiffness (Kppx, Kppy, Kzt)",
             [this] { ShowChild(TChildId::PlotRotationalStiffness); });
  MakeAction("GraphicsTranslationalDamping", "Translational Damping (Cxx, Cyy, Cww)",
             [this] { ShowChild(TChildId::PlotTranslationalDamping); });
  MakeAction("GraphicsRotationalDamping", "Rotational Damping (Cppx, Cppy, Czt)",
             [this] { ShowChild(TChildId::PlotRotationalDamping); });
  MakeAction("GraphicsDisplacement", "Footing Response Amplitude (Displacement)",
             [this] { ShowChild(TChildId::PlotDisplacement); });
  MakeAction("GraphicsRotation", "Footing Response Amplitude (Rotation)", [this] { ShowChild(TChildId::PlotRotation); });
  MakeAction("GraphicsAmplitude", "Interactive Footing Response Amplitude ", [this] { ShowAmplitudePlot(); });

  MakeAction("WindowCascade", "&Cascade", [this] { mdi_->cascadeSubWindows(); });
  MakeAction("WindowArrange", "&Arrange Icons", [this] {
    // Minimised children in a row along the bottom edge.
    int x = 0;
    for (QMdiSubWindow* window : mdi_->subWindowList()) {
      if (!window->isMinimized()) continue;
      window->move(x, mdi_->viewport()->height() - window->height());
      x += window->width();
    }
  });
  for (int i = 0; i < kWindowListSize; ++i) {
    windowActions_[i] = MakeAction(QStringLiteral("Window%1").arg(i + 1), {}, [this, i] {
      const auto windows = mdi_->subWindowList();
      if (i < windows.size()) {
        windows[i]->showNormal();
        mdi_->setActiveSubWindow(windows[i]);
      }
    });
    windowActions_[i]->setVisible(false);
  }

  MakeAction("HelpContents", "&Contents", [this] {
    const QString file = QDir(ProgramFolder()).filePath(QStringLiteral("Terva3Help.chm"));
    if (!QFileInfo::exists(file) || !OpenDocument(file)) ShowManual();
  }, QKeySequence::HelpContents);
  MakeAction("HelpManual", "&User's Manual", [this] {
    const QString file = QDir(ProgramFolder()).filePath(QStringLiteral("Terva v3 Manual.pdf"));
    if (!QFileInfo::exists(file) || !OpenDocument(file)) ShowManual();
  });
  MakeAction("HelpValidation", "&Validation", [this] { ShowValidation(); });
  MakeAction("HelpAbout", "&About...", [this] { ShowAbout(); });
  MakeAction("HelpUpdates", "Check for &Updates", [this] {
    if (!StartHook() ? !QDesktopServices::openUrl(QUrl(kUpdatePage)) : !StartHook()(kUpdatePage, {}))
      Inform(QStringLiteral("The release page could not be opened: %1").arg(kUpdatePage));
  });
}

void TMainForm::CreateMenus() {
  fileMenu_ = menuBar()->addMenu("&File");
  fileMenu_->addAction(Action("FileNew"));
  fileMenu_->addAction(Action("FileOpen"));
  fileMenu_->addAction(Action("FileSave"));
  fileMenu_->addAction(Action("FileSaveAs"));
  fileMenu_->addSeparator();
  fileMenu_->addAction(Action("FileExportResults"));
  fileMenu_->addAction(Action("FileAddComparison"));
  fileMenu_->addAction(Action("FileRemoveComparisons"));
  fileMenu_->addSeparator();
  for (QAction* recent : recentActions_) fileMenu_->addAction(recent);
  recentSeparator_ = fileMenu_->addSeparator();
  fileMenu_->addAction(Action("FileExit"));

  dataMenu_ = menuBar()->addMenu("&Data");
  dataMenu_->addAction(Action("DataTitle"));
  unitsMenu_ = dataMenu_->addMenu("&Units");
  unitsMenu_->addActions(unitGroup_->actions());
  dataMenu_->addSeparator();
  dataMenu_->addAction(Action("DataFoundationOptions"));
  loadingMenu_ = dataMenu_->addMenu("Option of Loading");
  loadingMenu_->addActions(loadGroup_->actions());
  dataMenu_->addSeparator();
  for (const char* name : {"DataFoundationShape", "DataPileCapShape", "DataMass", "DataFoundationDimension",
                           "DataFoundationLayer", "DataPileCapMass", "DataPileCoordinates", "DataPileProperties",
                           "DataPileElements"})
    dataMenu_->addAction(Action(name));
  dataMenu_->addSeparator();
  for (const char* name : {"DataSoilLayer", "DataSoilBelow", "DataSideSoil", "DataSoilColumn"})
    dataMenu_->addAction(Action(name));
  dataMenu_->addSeparator();
  harmonicMenu_ = dataMenu_->addMenu("Harmonic Loading Data");
  harmonicMenu_->menuAction()->setObjectName(QStringLiteral("DataHarmonic"));
  harmonicMenu_->addAction(Action("HarmonicQuadratic"));
  harmonicMenu_->addAction(Action("HarmonicNonQuadratic"));
  dataMenu_->addAction(Action("DataTransient"));
  dataMenu_->addAction(Action("DataRandom"));
  dataMenu_->addSeparator();
  dataMenu_->addAction(Action("DataOptions"));

  computationMenu_ = menuBar()->addMenu("&Computation");
  computationMenu_->addAction(Action("RunAnalysis"));
  computationMenu_->addSeparator();
  computationMenu_->addAction(Action("EditInput"));
  computationMenu_->addAction(Action("EditNotes"));
  computationMenu_->addAction(Action("EditOutput"));
  computationMenu_->addSeparator();
  computationMenu_->addAction(Action("ViewReport"));
  computationMenu_->addAction(Action("ViewFailedReport"));
  computationMenu_->addSeparator();
  computationMenu_->addAction(Action("SpringsDashpots"));

  viewMenu_ = menuBar()->addMenu("View Geometry");
  viewMenu_->addAction(Action("ViewTop"));
  viewMenu_->addAction(Action("ViewSideXZ"));
  viewMenu_->addAction(Action("ViewSideYZ"));
  viewMenu_->addSeparator();
  viewMenu_->addAction(Action("View3D"));

  graphicsMenu_ = menuBar()->addMenu("&Graphics");
  for (const char* name : {"GraphicsTranslationalStiffness", "GraphicsRotationalStiffness",
                           "GraphicsTranslationalDamping", "GraphicsRotationalDamping"})
    graphicsMenu_->addAction(Action(name));
  graphicsMenu_->addSeparator();
  graphicsMenu_->addAction(Action("GraphicsDisplacement"));
  graphicsMenu_->addAction(Action("GraphicsRotation"));
  graphicsMenu_->addSeparator();
  graphicsMenu_->addAction(Action("GraphicsAmplitude"));

  windowMenu_ = menuBar()->addMenu("&Window");
  windowMenu_->addAction(Action("WindowCascade"));
  windowMenu_->addAction(Action("WindowArrange"));
  windowSeparator_ = windowMenu_->addSeparator();
  for (QAction* entry : windowActions_) windowMenu_->addAction(entry);

  helpMenu_ = menuBar()->addMenu("&Help");
  helpMenu_->addAction(Action("HelpContents"));
  helpMenu_->addAction(Action("HelpManual"));
  helpMenu_->addAction(Action("HelpValidation"));
  helpMenu_->addSeparator();
  helpMenu_->addAction(Action("HelpAbout"));
  helpMenu_->addAction(Action("HelpUpdates"));

  // The active child stores its values before any menu opens.
  for (QMenu* menu : {fileMenu_, dataMenu_, computationMenu_, viewMenu_, graphicsMenu_, windowMenu_, helpMenu_})
    connect(menu, &QMenu::aboutToShow, this, [this] { DeactivateActiveChild(); });
  connect(fileMenu_, &QMenu::aboutToShow, this, &TMainForm::UpdateFileMenu);
  connect(dataMenu_, &QMenu::aboutToShow, this, &TMainForm::UpdateDataMenu);
  connect(computationMenu_, &QMenu::aboutToShow, this, &TMainForm::UpdateComputationMenu);
  connect(windowMenu_, &QMenu::aboutToShow, this, &TMainForm::UpdateWindowMenu);
  connect(graphicsMenu_, &QMenu::aboutToShow, this, &TMainForm::UpdateGraphicsMenu);
  connect(unitsMenu_, &QMenu::aboutToShow, this, [this] {
    Action(project_->Units == 1 ? "UnitsEnglish" : "UnitsSI")->setChecked(true);
  });
  connect(harmonicMenu_, &QMenu::aboutToShow, this, [this] {
    Action("HarmonicQuadratic")->setChecked(project_->Quadratic == 1);
    Action("HarmonicNonQuadratic")->setChecked(project_->Quadratic != 1);
  });
}

void TMainForm::UpdateDataMenu() {
  const TFoundationType code = project_->FoundationCode;
  const bool pile = code == TFoundationType::Pile;
  const bool footing = !pile;
  for (const char* name :
       {"DataPileProperties", "DataPileElements", "DataPileCoordinates", "DataPileCapMass", "DataPileCapShape",
        "DataSoilLayer"})
    Action(name)->setEnabled(pile);
  for (const char* name : {"DataFoundationDimension", "DataMass", "DataFoundationShape"})
    Action(name)->setEnabled(footing);
  Action("DataFoundationLayer")->setEnabled(code == TFoundationType::Multilayer);
  Action("DataSoilBelow")->setEnabled(true);
  QAction* side = Action("DataSideSoil");
  side->setEnabled(code != TFoundationType::Stratum);
  side->setText(code == TFoundationType::Pile      ? QStringLiteral("Side Soil of Pile Cap")
                : code == TFoundationType::Stratum ? QStringLiteral("Side Soil")
                                   : QStringLiteral("Side Soil of Fondation"));
  Action("DataSoilColumn")->setEnabled(code == TFoundationType::Multilayer);
  // The soil column below a multilayer foundation has a layer for each of
  // its elements not already beside a soil layer; never fewer rows than the
  // table's minimum (a difference of zero or less would empty it).
  if (code == TFoundationType::Multilayer && tables_->MultiElement()->RowCount() > 1) {
    TGridTable* column = tables_->Multisoil();
    column->SetRowCount(
        std::max(column->MinRows(), tables_->MultiElement()->RowCount() - tables_->D()->RowCount()));
  }
}

void TMainForm::FoundationTypeChanged() {
  const bool pile = project_->FoundationCode == TFoundationType::Pile;
  for (const char* name : {"DataPileProperties", "DataPileElements", "DataPileCoordinates"})
    Action(name)->setEnabled(pile);
}

void TMainForm::UpdateLoadType(bool closeWindows) {
  const TLoadType type = project_->LoadType;
  loadGroup_->actions()[static_cast<int>(type) - 1]->setChecked(true);
  harmonicMenu_->menuAction()->setEnabled(type == TLoadType::Harmonic);
  Action("DataTransient")->setEnabled(type == TLoadType::Transient);
  Action("DataRandom")->setEnabled(type == TLoadType::Random);
  if (!closeWindows) return;
  if (type != TLoadType::Harmonic) {
    CloseChild(TChildId::Quadratic);
    CloseChild(TChildId::NonQuadratic);
  } else {
    CloseChild(project_->Quadratic == 1 ? TChildId::NonQuadratic : TChildId::Quadratic);
  }
  if (type != TLoadType::Transient) CloseChild(TChildId::Transient);
  if (type != TLoadType::Random) CloseChild(TChildId::Random);
}

void TMainForm::UpdateComputationMenu() {
  const QString file = project_->FileName;
  Action("EditInput")->setEnabled(QFileInfo::exists(file));
  Action("EditNotes")->setEnabled(QFileInfo::exists(WithExtension(file, QStringLiteral(".tvr"))));
  Action("EditOutput")->setEnabled(QFileInfo::exists(WithExtension(file, QStringLiteral(".tvo"))));
  const TRunFiles files = TRunFiles::Beside(file);
  Action("ViewReport")->setEnabled(!project_->IsUnnamed() && QFileInfo::exists(files.report));
  Action("ViewFailedReport")->setEnabled(!project_->IsUnnamed() && QFileInfo::exists(files.failed));
  Action("SpringsDashpots")->setEnabled(SpringsDashpotsAvailable());
}

bool TMainForm::ExportAvailable() const {
  return resultsAvailable_ && QFileInfo::exists(WithExtension(project_->FileName, QStringLiteral(".tvp")));
}

// The results file holds the constants with or without MATRIX.
bool TMainForm::SpringsDashpotsAvailable() const {
  return ExportAvailable() && (project_->Matrix == 1 || plots_.fullPrecision);
}

void TMainForm::ShowSpringsDashpots() {
  if (!SpringsDashpotsAvailable()) return;
  const TResultsInfo info = DescribeProject(project_->FileName);
  TResultsData data;
  QString error;
  if (!ReadResults(info.graphic, data, &error)) {
    ShowMessage(TMessageKind::Error, QStringLiteral("Springs and Dashpots"), error);
    return;
  }
  TDlgSpringsDashpots dialog(std::move(data), info, this);
  dialog.exec();
}

void TMainForm::ExportResultsCommand() {
  if (!ExportAvailable()) return;
  int format = -1;
  if (ChoiceHook()) {
    format = ChoiceHook()();
  } else {
    TDlgExportResults dialog(project_->FileName, this);
    if (dialog.exec() == QDialog::Accepted) format = dialog.Format() == TExportFormat::Json ? 1 : 0;
  }
  if (format >= 0) ExportResultsAs(format);
}

bool TMainForm::ExportResultsAs(int format) {
  const TResultsInfo info = DescribeProject(project_->FileName);
  QStringList written;
  QString error;
  if (!ExportResults(info, format == 1 ? TExportFormat::Json : TExportFormat::Csv, &written, &error)) {
    ShowMessage(TMessageKind::Error, QStringLiteral("Export Results"), error);
    return false;
  }
  if (written.isEmpty()) {
    ShowMessage(TMessageKind::Information, QStringLiteral("Export Results"),
                QStringLiteral("Nothing was written: ") + NothingToExport() + QLatin1Char('.'));
    return true;
  }
  for (QString& file : written) file = QDir::toNativeSeparators(file);
  ShowMessage(TMessageKind::Information, QStringLiteral("Export Results"),
              QStringLiteral("The results were written to\n") + written.join(QLatin1Char('\n')));
  return true;
}

void TMainForm::UpdateGraphicsMenu() {
  const bool results =
      resultsAvailable_ && QFileInfo::exists(WithExtension(project_->FileName, QStringLiteral(".tvp")));
  const bool constants = results && project_->Matrix == 1;
  const bool responses = constants && project_->LoadType == TLoadType::Harmonic;
  for (const char* name : {"GraphicsTranslationalStiffness", "GraphicsRotationalStiffness",
                           "GraphicsTranslationalDamping", "GraphicsRotationalDamping"})
    Action(name)->setEnabled(constants);
  Action("GraphicsDisplacement")->setEnabled(responses);
  Action("GraphicsRotation")->setEnabled(responses);
  Action("GraphicsAmplitude")->setEnabled(results);
}

void TMainForm::ShowAmplitudePlot() {
  TDlgAmpPlot dialog(plots_, *project_, this);
  // The compared projects at the same point, each from its own centre of
  // gravity (the open project's when its project file could not be read).
  std::vector<TComparedResponse> compared;
  for (const TComparison& c : comparisons_) {
    if (c.Kind.LoadType != 1) continue;
    TComparedResponse r{c.Name, c.Plots.get(), {}};
    for (int k = 0; k < 3; ++k)
      r.Centre[k] = c.HasCentre ? c.Centre[k]
                                : static_cast<double>(k == 0 ? project_->Xc : k == 1 ? project_->Yc : project_->Zc);
    compared.push_back(r);
  }
  if (!compared.empty()) dialog.SetComparisons(compared);
  dialog.exec();
}

void TMainForm::UpdateFileMenu() {
  Action("FileAddComparison")->setEnabled(resultsAvailable_ && !running_);
  Action("FileRemoveComparisons")->setEnabled(!comparisons_.empty());
  const QString current = QDir::currentPath();
  for (int i = 0; i < kRecentCount; ++i) {
    QAction* item = recentActions_[i];
    if (i >= recent_.size()) {
      item->setVisible(false);
      continue;
    }
    QString path = recent_[i];
    const QFileInfo info(path);
    if (QDir::cleanPath(info.absolutePath()) == QDir::cleanPath(current)) path = info.fileName();
    path.replace(QLatin1Char('&'), QLatin1String("&&"));
    item->setText(QStringLiteral("%1 %2").arg(i + 1).arg(QDir::toNativeSeparators(path)));
    item->setVisible(true);
  }
  recentSeparator_->setVisible(!recent_.isEmpty());
  Action("FileExportResults")->setEnabled(ExportAvailable());
}

void TMainForm::UpdateWindowMenu() {
  const auto windows = mdi_->subWindowList();
  for (int i = 0; i < kWindowListSize; ++i) {
    QAction* item = windowActions_[i];
    if (i >= windows.size()) {
      item->setVisible(false);
      continue;
    }
    QString caption = ChildCaption(windows[i]);
    caption.replace(QLatin1Char('&'), QLatin1String("&&"));
    item->setText(caption);
    item->setCheckable(true);
    item->setChecked(windows[i] == mdi_->activeSubWindow());
    item->setVisible(true);
  }
  windowSeparator_->setVisible(!windows.isEmpty());
}

void TMainForm::UpdateCaption() { setWindowTitle(kCaptionPrefix + DisplayName()); }

QString TMainForm::DisplayName() const { return DisplayNameOf(project_->FileName); }

QString TMainForm::DisplayNameOf(const QString& fileName) {
  QString name = QFileInfo(fileName).fileName();
  const int dot = name.lastIndexOf(QLatin1Char('.'));
  if (dot >= 0 && name.mid(dot).compare(QLatin1String(".tvd"), Qt::CaseInsensitive) == 0)
    name = name.left(name.indexOf(QLatin1Char('.')));
  if (name.size() >= 2) name[0] = name[0].toUpper();
  return name;
}

// ---------------------------------------------------------------------------
// Child windows

void TMainForm::RegisterChild(TChildId id, ChildFactory factory) {
  factories_[static_cast<int>(id)] = std::move(factory);
}

QWidget* TMainForm::ShowChild(TChildId id) {
  const int index = static_cast<int>(id);
  if (QMdiSubWindow* open = children_[index]) {
    open->showNormal();
    mdi_->setActiveSubWindow(open);
    return open->widget();
  }
  if (!factories_[index]) {
    statusBar()->showMessage(QStringLiteral("This window is not available yet."), 3000);
    return nullptr;
  }
  QWidget* widget = factories_[index](*this);
  if (!widget) return nullptr;
  AddChildWindow(id, widget);
  return widget;
}

void TMainForm::AddChildWindow(TChildId id, QWidget* widget) {
  if (auto* form = qobject_cast<TChildForm*>(widget))
    connect(form, &TChildForm::Modified, this, [this] {
      modified_ = true;
      emit ProjectEdited();
    });
  QMdiSubWindow* frame = mdi_->addSubWindow(widget);
  frame->setAttribute(Qt::WA_DeleteOnClose);
  Qt::WindowFlags flags = Qt::SubWindow | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;
  // Drawings grow with their window: plots and views can be maximised (the
  // button, or a double-click on the title) and restored.
  if (qobject_cast<TPlotForm*>(widget) || qobject_cast<TGeometryView*>(widget)) flags |= Qt::WindowMaximizeButtonHint;
  frame->setWindowFlags(flags);
  children_[static_cast<int>(id)] = frame;
  frame->adjustSize();
  frame->show();
  mdi_->setActiveSubWindow(frame);
}

void TMainForm::CloseChild(TChildId id) {
  QMdiSubWindow* frame = children_[static_cast<int>(id)];
  if (!frame) return;
  // Destroyed, not asked: its values belong to a load type no longer in use.
  if (active_ == frame) active_ = nullptr;
  children_[static_cast<int>(id)] = nullptr;
  delete frame;
}

bool TMainForm::DeactivateActiveChild() {
  QMdiSubWindow* window = active_;
  if (!window) return true;
  if (auto* form = qobject_cast<TChildForm*>(window->widget())) return form->DeactivateForm();
  if (auto* table = qobject_cast<TTableForm*>(window->widget())) return table->StoreCurrentCell();
  return true;
}

void TMainForm::SubWindowActivated(QMdiSubWindow* window) {
  if (reactivating_ || window == active_) return;
  QMdiSubWindow* previous = active_;
  if (previous) {
    auto* form = qobject_cast<TChildForm*>(previous->widget());
    if (form && !form->DeactivateForm()) {
      // The window that could not store its values comes back to the front.
      reactivating_ = true;
      mdi_->setActiveSubWindow(previous);
      reactivating_ = false;
      return;
    }
  }
  active_ = window;
  if (window)
    if (auto* form = qobject_cast<TChildForm*>(window->widget())) form->ActivateForm();
}

void TMainForm::ShowTable(TGridTable* table) {
  if (table) table->Show();
}

void TMainForm::ShowSideSoil() {
  switch (project_->FoundationCode) {
    case TFoundationType::HalfSpace: ShowTable(tables_->D1()); break;
    case TFoundationType::Pile: ShowTable(tables_->pilecapsoil()); break;
    default: ShowTable(tables_->D()); break;
  }
}

void TMainForm::ShowFoundationDimension() {
  const TFoundationType code = project_->FoundationCode;
  if (code == TFoundationType::HalfSpace || code == TFoundationType::Stratum) ShowChild(TChildId::FoundationData);
  else if (code == TFoundationType::Multilayer) ShowChild(TChildId::FoundationProperties);
}

void TMainForm::ShowHarmonic(int quadratic) {
  if (project_->Quadratic != quadratic) modified_ = true;
  project_->Quadratic = quadratic;
  Action("HarmonicQuadratic")->setChecked(quadratic == 1);
  Action("HarmonicNonQuadratic")->setChecked(quadratic != 1);
  ShowChild(quadratic == 1 ? TChildId::Quadratic : TChildId::NonQuadratic);
}

// ---------------------------------------------------------------------------
// Project

bool TMainForm::Modified() const { return modified_ || tables_->Modified(); }

void TMainForm::CloseProjectWindows() {
  // The windows of the old project's values go; their values are not stored.
  for (int i = 0; i < kChildCount; ++i) CloseChild(static_cast<TChildId>(i));
  tables_->CloseWindows(TCloseReason::TableGone);
}

void TMainForm::ReplaceProject(std::unique_ptr<TProgramData> project) {
  project_ = std::move(project);
  modified_ = false;
  RememberDiskState();
  resultsAvailable_ = false;
  comparisons_.clear();
  for (TGraphPlot* plot : plots_.All()) {
    plot->Reset(0);
    plot->NotifyChanged();
  }
  UpdateCaption();
  emit ProjectReplaced();
}

bool TMainForm::AskToSave() {
  if (!Modified()) return true;
  const int answer =
      ShowMessage(TMessageKind::Question, QStringLiteral("TERVA"), kAskToSave, MbYes | MbNo | MbCancel);
  if (answer == MbCancel) return false;
  if (answer == MbNo) return true;
  FileSave();
  return !project_->IsUnnamed() && !Modified();
}

bool TMainForm::FileNew() {
  if (!DeactivateActiveChild() || !AskToSave()) return false;
  CloseProjectWindows();
  ReplaceProject(NewProject(*tables_));
  UpdateLoadType();
  return true;
}

bool TMainForm::FileOpen() {
  if (!DeactivateActiveChild() || !AskToSave()) return false;
  const QString path = ChooseFile(false, QStringLiteral("Open"), project_->FileName);
  if (path.isEmpty()) return false;
  return OpenProject(path);
}

void TMainForm::OpenRecent(int index) {
  if (index < 0 || index >= recent_.size()) return;
  if (!DeactivateActiveChild() || !AskToSave()) return;
  OpenProject(recent_[index]);
}

bool TMainForm::OpenProject(const QString& path, bool addToRecent) {
  const QString absolute = QFileInfo(path).absoluteFilePath();
  CloseProjectWindows();
  QDir::setCurrent(QFileInfo(absolute).absolutePath());
  TLoadResult result = LoadProject(absolute, *tables_);
  if (result.status == TLoadResult::kFailed) {
    // The tables are as they were and the previous project was never given up.
    Inform(result.message);
    return false;
  }
  ReplaceProject(std::move(result.project));
  if (result.status == TLoadResult::kStopped) Inform(result.message);
  UpdateLoadType();
  ReadPlots();
  if (addToRecent) AddRecentFile(project_->FileName);
  return true;
}

// The project file's contents as this window last read or wrote them: a
// digest, empty when there was no file.
static QByteArray DiskState(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  QCryptographicHash hash(QCryptographicHash::Sha256);
  hash.addData(&file);
  return hash.result();
}

void TMainForm::RememberDiskState() {
  diskFile_ = project_->IsUnnamed() ? QString() : project_->FileName;
  diskState_ = diskFile_.isEmpty() ? QByteArray() : DiskState(diskFile_);
}

bool TMainForm::CheckDiskState() {
  if (project_->IsUnnamed() || diskFile_ != project_->FileName || diskState_.isEmpty()) return true;
  const QByteArray now = DiskState(diskFile_);
  if (now.isEmpty() || now == diskState_) return true;  // unchanged, or gone: nothing to lose
  const int answer = ShowMessage(
      TMessageKind::Warning, QStringLiteral("TERVA"),
      QStringLiteral("%1 was changed on disk since it was opened or saved here (by another program or another "
                     "TERVA window).\n\nReload it and lose what is shown here, overwrite it with what is shown "
                     "here, or cancel?")
          .arg(QDir::toNativeSeparators(diskFile_)),
      MbReload | MbOverwrite | MbCancel);
  if (answer == MbOverwrite) return true;
  if (answer == MbReload) OpenProject(diskFile_, false);
  return false;
}

bool TMainForm::FileSave() {
  if (!DeactivateActiveChild()) return false;
  if (project_->IsUnnamed()) return FileSaveAs();
  if (!CheckDiskState()) return false;
  try {
    SaveProject(*project_, *tables_);
  } catch (const TError& error) {
    ShowMessage(TMessageKind::Error, QStringLiteral("TERVA"), error.Message(), MbOk);
    return false;
  }
  modified_ = false;
  RememberDiskState();
  return true;
}

bool TMainForm::FileSaveAs() {
  if (!DeactivateActiveChild()) return false;
  QString path = ChooseFile(true, QStringLiteral("Save %1 As").arg(DisplayName()), project_->FileName);
  if (path.isEmpty()) return false;
  if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".tvd");
  // over the project's own file: the same check as Save
  if (QFileInfo(path).absoluteFilePath() == project_->FileName && !CheckDiskState()) return false;
  const QString previous = project_->FileName;
  project_->FileName = QFileInfo(path).absoluteFilePath();
  UpdateCaption();
  try {
    SaveProject(*project_, *tables_);
  } catch (const TError& error) {
    ShowMessage(TMessageKind::Error, QStringLiteral("TERVA"), error.Message(), MbOk);
    if (previous == TProgramData::kNewFileName) project_->FileName = previous;
    UpdateCaption();
    return false;
  }
  modified_ = false;
  RememberDiskState();
  AddRecentFile(project_->FileName);
  return true;
}

QString TMainForm::ChooseFile(bool save, const QString& caption, const QString& start) {
  if (DialogHook()) return DialogHook()(save, caption, start);
  QFileDialog dialog(this, caption, start == TProgramData::kNewFileName ? QString() : start, kFilter);
  dialog.setDefaultSuffix(QStringLiteral("tvd"));
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  if (save && start == TProgramData::kNewFileName) dialog.selectFile(start);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().first();
}

void TMainForm::SetLoadType(int loadType) {
  if (loadType < 1 || loadType > 3) return;
  const auto type = static_cast<TLoadType>(loadType);
  if (project_->LoadType != type) modified_ = true;
  project_->LoadType = type;
  UpdateLoadType();
}

void TMainForm::SetUnits(int system) {
  if (system == project_->Units) return;
  if (!DeactivateActiveChild()) return;
  SetUnitSystem(*project_, *tables_, system);
  modified_ = true;
  // Open windows show the values in the new units.
  if (active_)
    if (auto* form = qobject_cast<TChildForm*>(active_->widget())) form->ActivateForm();
}

void TMainForm::ReadPlots() {
  const QString graphic = WithExtension(project_->FileName, QStringLiteral(".tvp"));
  resultsAvailable_ = false;
  // a delivery that a killed run left half done is completed first; one in
  // progress elsewhere leaves nothing to read yet
  if (!RecoverDelivery(TRunFiles::Beside(project_->FileName))) return;
  if (!QFileInfo::exists(graphic)) return;
  // Quietly: a graphic data file the plots cannot use (an older run, rows of
  // asterisks where the analysis failed) leaves the Graphics menu off.
  resultsAvailable_ = plots_.ReadResultCurves(graphic, false, project_->Matrix == 1,
                                              static_cast<int>(project_->LoadType), project_->Units);
  if (resultsAvailable_ && !plots_.fullPrecision)
    statusBar()->showMessage(QStringLiteral("These results come from the graphic data file alone and carry three "
                                            "significant digits; run the analysis again for full precision"));
  // The compared projects' curves go back beside the new ones.
  if (!resultsAvailable_) return;
  std::erase_if(comparisons_, [this](const TComparison& c) { return c.Kind.Units != project_->Units; });
  for (const TComparison& c : comparisons_) ApplyComparison(plots_, c, QFileInfo(project_->FileName).fileName(), true);
}

// ---------------------------------------------------------------------------
// Comparing designs

bool TMainForm::AddComparison(const QString& path) {
  TComparison comparison;
  QString error;
  if (!ReadComparison(path, project_->Units, comparison, &error)) {
    ShowMessage(TMessageKind::Error, QStringLiteral("Add Results for Comparison"),
                QStringLiteral("The results cannot be compared: %1.").arg(error));
    return false;
  }
  if (QFileInfo(comparison.Path) == QFileInfo(project_->FileName) ||
      comparison.Name == QFileInfo(project_->FileName).fileName()) {
    ShowMessage(TMessageKind::Information, QStringLiteral("Add Results for Comparison"),
                QStringLiteral("%1 is the open project's own file name; its curves are already shown.")
                    .arg(comparison.Name));
    return false;
  }
  // The compared project's centre of gravity, for the amplitude plot, when
  // the program can read its project file.
  const QString projectFile = WithExtension(comparison.Path, QStringLiteral(".tvd"));
  if (QFileInfo(projectFile).isFile()) {
    TProjectTables tables;
    const TLoadResult loaded = LoadProject(projectFile, tables);
    if (loaded.status == TLoadResult::kComplete && loaded.project) {
      comparison.HasCentre = true;
      comparison.Centre[0] = static_cast<double>(loaded.project->Xc);
      comparison.Centre[1] = static_cast<double>(loaded.project->Yc);
      comparison.Centre[2] = static_cast<double>(loaded.project->Zc);
    }
  }
  RemoveComparison(comparison.Name);  // added again: the newer results replace the older
  ApplyComparison(plots_, comparison, QFileInfo(project_->FileName).fileName(), true);
  comparisons_.push_back(std::move(comparison));
  statusBar()->showMessage(QStringLiteral("Compared with %1").arg(comparisons_.back().Name), 4000);
  return true;
}

void TMainForm::RemoveComparison(const QString& name) {
  for (auto it = comparisons_.begin(); it != comparisons_.end();) {
    if (!name.isEmpty() && it->Name != name) {
      ++it;
      continue;
    }
    ApplyComparison(plots_, *it, QString(), false);
    it = comparisons_.erase(it);
  }
}

QStringList TMainForm::ComparedNames() const {
  QStringList names;
  for (const TComparison& c : comparisons_) names << c.Name;
  return names;
}

void TMainForm::AddComparisonCommand() {
  if (!resultsAvailable_) return;
  const QString caption = QStringLiteral("Add Results for Comparison");
  QString path;
  if (DialogHook()) {
    path = DialogHook()(false, caption, QFileInfo(project_->FileName).absolutePath());
  } else {
    QFileDialog dialog(this, caption, QFileInfo(project_->FileName).absolutePath(),
                       QStringLiteral("Projects and results (*.tvd *.tvp *.tvj);;All files (*)"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) path = dialog.selectedFiles().first();
  }
  if (!path.isEmpty()) AddComparison(path);
}

// ---------------------------------------------------------------------------
// Recent files and settings

void TMainForm::AddRecentFile(const QString& path) {
  const int found = recent_.indexOf(path);  // exact, case-sensitive
  if (found == 0) {
    WriteSettings();
    return;
  }
  if (found > 0) recent_.removeAt(found);
  recent_.prepend(path);
  while (recent_.size() > kRecentCount) recent_.removeLast();
  WriteSettings();
}

void TMainForm::ReadSettings() {
  QSettings settings(QStringLiteral("Halvit"), QStringLiteral("TERVA"));
  settings.beginGroup(kSettingsGroup);
  editorPath_ = settings.value(kEditorKey).toString();
  recent_.clear();
  for (int i = 1; i <= kRecentCount; ++i) {
    const QString file = settings.value(QStringLiteral("File%1").arg(i)).toString();
    if (!file.isEmpty()) recent_.append(file);
  }
  if (settings.status() != QSettings::NoError) {
    editorPath_.clear();
    recent_.clear();
  }
  if (editorPath_.isEmpty()) editorPath_ = DefaultEditorPath();
}

void TMainForm::WriteSettings() const {
  QSettings settings(QStringLiteral("Halvit"), QStringLiteral("TERVA"));
  settings.beginGroup(kSettingsGroup);
  settings.setValue(kEditorKey, editorPath_);
  for (int i = 0; i < kRecentCount; ++i)
    settings.setValue(QStringLiteral("File%1").arg(i + 1), i < recent_.size() ? recent_[i] : QString());
}

QString TMainForm::DefaultEditorPath() {
#ifdef Q_OS_WIN
  const QString windows = qEnvironmentVariable("SystemRoot", QStringLiteral("C:\\Windows"));
  return windows + QStringLiteral("\\notepad.exe");
#else
  return {};
#endif
}

void TMainForm::Start(const QString& projectArgument) {
  ReadSettings();
  bool loaded = false;
  if (!projectArgument.isEmpty()) {
    QString path = projectArgument;
    if (!QFileInfo(path).fileName().contains(QLatin1Char('.'))) path += QStringLiteral(".tvd");
    if (QFileInfo(path).isFile()) loaded = OpenProject(path, false);
  }
  if (!loaded) {
    CloseProjectWindows();
    ReplaceProject(NewProject(*tables_));
  }
  UpdateLoadType(false);
  UpdateCaption();
}

// ---------------------------------------------------------------------------
// Running the engine and outside programs

void TMainForm::RunAnalysis() {
  if (running_ || TEngineRunner::Busy()) {
    Inform(TEngineRunner::kReinitialize);
    return;
  }
  if (!FileSave() || project_->IsUnnamed()) return;
  TEngineRunner runner = RunnerHook() ? RunnerHook()() : TEngineRunner();
  // The library's engine runs in a host process of its own: it can be
  // cancelled, and its crash is not the program's.
  runner.SetCallsOutOfProcess(true);
  TEngineSession session(runner, project_->FileName);
  if (!session.Prepare()) {
    Inform(session.Result().message);
    return;
  }

  running_ = true;
  menuBar()->setEnabled(false);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  // The modal run dialog keeps every other command away while the window
  // repaints and the bar moves; its Cancel button reaches the host.
  QEventLoop loop;
  if (runner.CallsOutOfProcess()) {
    TEngineHostRun host(EngineHostPath(), runner.Library(), session.WorkFolder());
    bool ended = false;
    connect(&host, &TEngineHostRun::Finished, &loop, [&ended, &loop] {
      ended = true;
      loop.quit();
    });
    runDialog_->Start([&host](int* done, int* total) { return host.Progress(done, total); },
                      [&host] { host.Cancel(); });
    host.Start();
    if (!ended) loop.exec();  // a host that could not start has ended already
    if (host.HasCode()) session.Called(host.Code());
    else if (host.Cancelled()) session.Abandoned(TRunResult::kCancelled, QStringLiteral("The run was cancelled; the previous results are kept"));
    else session.Abandoned(TRunResult::kCrashed, host.Failure());
  } else {
    // an engine in this process (the tests' stand-ins): one call on a worker thread
    runDialog_->Start([&session](int* done, int* total) { return session.Progress(done, total); });
    QThread* worker = QThread::create([&session] { session.Call(); });
    connect(worker, &QThread::finished, &loop, &QEventLoop::quit);
    worker->start();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker->wait();
    delete worker;
  }
  runDialog_->Finish();
  QApplication::restoreOverrideCursor();
  menuBar()->setEnabled(true);
  running_ = false;

  const TRunResult result = session.Deliver();
  if (result.Delivered()) ReadPlots();  // plots only ever from a complete run
  if (reportViewer_ && !result.report.isEmpty()) reportViewer_->Open(result.report);
  ShowRunOutcome(result);
  emit RunFinished(result.code);
}

QString TMainForm::RunOutcomeText(const TRunResult& result) {
  auto lines = [&result] {
    return result.errorLines.isEmpty() ? QString() : QStringLiteral("\n\n") + result.errorLines.join(QLatin1Char('\n'));
  };
  auto reportNote = [&result] {
    return result.report.isEmpty() ? QString()
                                   : QStringLiteral("\n\nIts report: %1").arg(QDir::toNativeSeparators(result.report));
  };
  switch (result.status) {
    case TRunResult::kDelivered:
      if (result.errorFrequencies > 0) {
        const QString of = result.frequencies > 0 ? QStringLiteral(" of %1").arg(result.frequencies) : QString();
        return QStringLiteral("Computations are completed with errors at %1%2 frequencies. The results of the other "
                              "frequencies are in the report; its error lines say where the analysis failed.")
            .arg(result.errorFrequencies)
            .arg(of);
      }
      return kCompleted;
    case TRunResult::kNoResults:
      if (result.code == 2)
        return QStringLiteral("The run stopped before the analysis (STOP keyword, or the input ends without RUN). "
                              "The previous results are kept.") + lines() + reportNote();
      if (result.code == 3)
        return QStringLiteral("The input has errors: nothing was analysed, and the previous results are kept.") +
               lines() + reportNote();
      if (result.code == 0)
        return QStringLiteral("The analysis failed at every frequency; the previous results are kept.") + lines() +
               reportNote();
      return QStringLiteral("The engine returned %1 and gave no results; the previous results are kept.")
                 .arg(result.code) + lines() + reportNote();
    case TRunResult::kCancelled:
    case TRunResult::kCrashed:
    case TRunResult::kNotRun:
    case TRunResult::kNotDelivered:
      break;
  }
  return result.message;
}

void TMainForm::ShowRunOutcome(const TRunResult& result) {
  const bool failed = !result.Delivered() || result.errorFrequencies > 0;
  const int buttons = MbOk | (result.report.isEmpty() ? 0 : MbViewReport);
  const int pressed = ShowMessage(failed ? TMessageKind::Warning : TMessageKind::Information, QStringLiteral("TERVA"),
                                  RunOutcomeText(result), buttons);
  if (pressed != MbViewReport) return;
  ShowReport(result.report);
  if (failed && reportViewer_) reportViewer_->NextError();  // where it went wrong
}

void TMainForm::ShowReport(const QString& path) {
  if (path.isEmpty()) return;
  if (!reportViewer_) reportViewer_ = new TReportViewer(this);
  reportViewer_->Open(path);
  reportViewer_->show();
  reportViewer_->raise();
  reportViewer_->activateWindow();
}

bool TMainForm::Launch(const QString& program, const QStringList& arguments) const {
  if (StartHook()) return StartHook()(program, arguments);
  return QProcess::startDetached(program, arguments);
}

bool TMainForm::OpenDocument(const QString& path) const {
  if (StartHook()) return StartHook()(QString(), {path});
  return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void TMainForm::EditFile(const QString& extension) {
  const QString file = WithExtension(project_->FileName, extension);
  const QFileInfo editor(editorPath_);
  bool started = false;
  if (!editorPath_.isEmpty() && editor.isFile() && editor.isExecutable())
    started = Launch(editor.absoluteFilePath(), {file});
  if (!started) started = OpenDocument(file);
  // the report needs no editor: the program's own viewer shows it
  if (!started && extension == QLatin1String(".tvo") && QFileInfo::exists(file)) {
    ShowReport(file);
    started = true;
  }
  if (!started) Inform(kEditorFailed);
}

QString TMainForm::ProgramFolder() const { return QCoreApplication::applicationDirPath(); }

void TMainForm::View3D() {
  if (!FileSave() || project_->IsUnnamed()) return;
  const QString viewer = QDir(ProgramFolder()).filePath(ViewerName());
  const QByteArray text = TRunFiles::Beside(project_->FileName).NamesDat();
  const auto writeNames = [&text](const QString& folder) {
    QSaveFile names(QDir(folder).filePath(QStringLiteral("names.dat")));
    return names.open(QIODevice::WriteOnly) && names.write(text) == text.size() && names.commit();
  };
  // The run file list goes into the program's folder, where the viewer is
  // started. An installed program's folder (/usr/bin) is read-only to its
  // users: then the list goes into the user's data folder and the viewer is
  // started there.
  QString folder = ProgramFolder();
  if (!writeNames(folder)) {
    folder = QDir(QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation))
                 .filePath(QStringLiteral("viewer"));
    if (!QDir().mkpath(folder) || !writeNames(folder)) {
      Inform(kViewerFailed);
      return;
    }
  }
  if (!QFileInfo(viewer).isFile()) {
    Inform(kViewerFailed);
    return;
  }
  QDir::setCurrent(folder);
  if (!Launch(viewer, {})) Inform(kViewerFailed);
}

void TMainForm::ShowManual() {
  ShowHelpPage(manual_, QStringLiteral("TERVA User's Manual"), QStringLiteral("manual.md"),
               QStringLiteral("ManualBrowser"));
}

// The comparison of TERVA with published solutions (docs/validation.md).
void TMainForm::ShowValidation() {
  ShowHelpPage(validation_, QStringLiteral("TERVA Validation"), QStringLiteral("validation.md"),
               QStringLiteral("ValidationBrowser"));
}

void TMainForm::ShowHelpPage(QPointer<QWidget>& slot, const QString& title, const QString& page,
                             const QString& name) {
  if (slot) {
    slot->show();
    slot->raise();
    slot->activateWindow();
    return;
  }
  auto* window = new QDialog(this, Qt::Window);
  window->setAttribute(Qt::WA_DeleteOnClose);
  window->setWindowTitle(title);
  auto* browser = new QTextBrowser(window);
  browser->setObjectName(name);
  browser->setOpenExternalLinks(true);
  browser->setSearchPaths({QStringLiteral(":/docs")});
  browser->setSource(QUrl(QStringLiteral("qrc:/docs/") + page), QTextDocument::MarkdownResource);
  // The pictures are screenshots of the whole window: shown at a width that fits.
  for (QTextBlock block = browser->document()->begin(); block.isValid(); block = block.next())
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      if (!fragment.charFormat().isImageFormat()) continue;
      QTextImageFormat image = fragment.charFormat().toImageFormat();
      const QImage picture = browser->document()->resource(QTextDocument::ImageResource, QUrl(image.name())).value<QImage>();
      if (picture.isNull() || picture.width() <= 780) continue;
      image.setWidth(780);
      image.setHeight(780.0 * picture.height() / picture.width());
      QTextCursor cursor(browser->document());
      cursor.setPosition(fragment.position());
      cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
      cursor.setCharFormat(image);
    }
  auto* layout = new QVBoxLayout(window);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(browser);
  window->resize(860, 680);
  window->show();
  slot = window;
}

void TMainForm::ShowAbout() {
  QDialog about(this);
  about.setObjectName(QStringLiteral("AboutBox"));
  about.setWindowTitle(QStringLiteral("About TERVA"));
  auto* name = new QLabel(QStringLiteral("<h2>TERVA</h2>Soil–foundation dynamic analysis"), &about);
  auto* version = new QLabel(QStringLiteral("Version ") + kVersion, &about);
  version->setObjectName(QStringLiteral("VersionLabel"));
  auto* licence = new QLabel(QStringLiteral("Copyright © Halvit. Licensed to the user of this copy."), &about);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &about);
  connect(buttons, &QDialogButtonBox::accepted, &about, &QDialog::accept);
  auto* layout = new QVBoxLayout(&about);
  layout->addWidget(name);
  layout->addWidget(version);
  layout->addWidget(licence);
  layout->addSpacing(8);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  about.setModal(true);
  about.exec();
}

// ---------------------------------------------------------------------------
// Window events

void TMainForm::closeEvent(QCloseEvent* event) {
  if (running_ || !DeactivateActiveChild() || !AskToSave()) {
    event->ignore();
    return;
  }
  WriteSettings();
  CloseProjectWindows();
  mdi_->closeAllSubWindows();
  event->accept();
}

void TMainForm::dragEnterEvent(QDragEnterEvent* event) {
  if (!running_ && event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TMainForm::dropEvent(QDropEvent* event) {
  const auto urls = event->mimeData()->urls();
  if (running_ || urls.isEmpty() || !urls.first().isLocalFile()) return;
  event->acceptProposedAction();
  if (!DeactivateActiveChild() || !AskToSave()) return;
  OpenProject(urls.first().toLocalFile(), false);
}

void TMainForm::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow() && !running_) {
    UpdateLoadType(false);
    Action("DataPileCoordinates")->setEnabled(false);  // the Data menu decides again when it opens
  }
}

}  // namespace terva::gui
