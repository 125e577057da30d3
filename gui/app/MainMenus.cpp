// The main window's menu bar: its commands, its menus, and which commands
// each menu enables as it opens.
#include <QAction>
#include <QActionGroup>
#include <QDir>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QUndoStack>

#include "gui/app/Autosave.hpp"
#include "gui/app/History.hpp"
#include "gui/app/Main.hpp"
#include "gui/widgets/TableForm.hpp"
#include "gui/core/EngineRunner.hpp"
#include "gui/model/ProgramData.hpp"
#include "gui/model/ProjectState.hpp"
#include "gui/model/ProjectTables.hpp"
#include "gui/model/Table.hpp"

namespace terva::gui {

namespace {

// The window captions of the children, for the Window menu.
QString ChildCaption(QMdiSubWindow* window) {
  const QString title = window->windowTitle();
  return title.isEmpty() && window->widget() ? window->widget()->windowTitle() : title;
}

}  // namespace

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
  TMainActions& a = act_;
  a.fileNew = MakeAction("FileNew", "&New", [this] { FileNew(); }, QKeySequence::New);
  a.fileNew->setStatusTip("Start a new project");
  a.fileNewHalfSpace = MakeAction("FileNewHalfSpace", "&Half-Space Block",
                                  [this] { FileNewFromTemplate(TProjectTemplate::HalfSpaceBlock); });
  a.fileNewStratum = MakeAction("FileNewStratum", "Block on a &Stratum",
                                [this] { FileNewFromTemplate(TProjectTemplate::StratumBlock); });
  a.fileNewPileGroup = MakeAction("FileNewPileGroup", "&Pile Group n \u00d7 m...",
                                  [this] { FileNewFromTemplate(TProjectTemplate::PileGroup); });
  a.fileOpen = MakeAction("FileOpen", "&Open...", [this] { FileOpen(); }, QKeySequence::Open);
  a.fileOpen->setStatusTip("Open a project file");
  a.fileSave = MakeAction("FileSave", "&Save", [this] { FileSave(); }, QKeySequence::Save);
  a.fileSave->setStatusTip("Save the project");
  a.fileSaveAs = MakeAction("FileSaveAs", "Save &As...", [this] { FileSaveAs(); });
  a.fileSaveAs->setStatusTip("Save the project under another name");
  a.fileExportResults = MakeAction("FileExportResults", "&Export Results...", [this] { ExportResultsCommand(); });
  a.fileExportResults->setStatusTip("Write the last run's results as CSV or JSON files beside the project");
  a.fileCalcReport = MakeAction("FileCalcReport", "Calculation &Report...", [this] { CalcReportCommand(); });
  a.fileCalcReport->setStatusTip(
      "Write a calculation report of the project and its last run, with design checks, as a PDF or HTML file");
  a.fileAddComparison =
      MakeAction("FileAddComparison", "Add Results for &Comparison...", [this] { AddComparisonCommand(); });
  a.fileAddComparison->setStatusTip("Show another project's result curves beside this project's in the plots");
  a.fileRemoveComparisons = MakeAction("FileRemoveComparisons", "Remove Compared Results", [this] { RemoveComparison(); });
  a.fileRemoveComparisons->setStatusTip("Take every compared project's curves out of the plots");
  a.fileExit = MakeAction("FileExit", "E&xit", [this] { close(); });
  a.fileExit->setStatusTip("Close the program");
  for (int i = 0; i < kRecentCount; ++i) {
    a.fileRecent[i] = MakeAction(QStringLiteral("FileRecent%1").arg(i + 1), {}, [this, i] { OpenRecent(i); });
    a.fileRecent[i]->setVisible(false);
  }

  a.editUndo = MakeAction("EditUndo", "&Undo", [this] { Undo(); }, QKeySequence::Undo);
  a.editRedo = MakeAction("EditRedo", "&Redo", [this] { Redo(); });
  a.editRedo->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
  a.editCut = MakeAction("EditCut", "Cu&t", [this] { Cut(); }, QKeySequence::Cut);
  a.editCopy = MakeAction("EditCopy", "&Copy", [this] { Copy(); }, QKeySequence::Copy);
  a.editPaste = MakeAction("EditPaste", "&Paste", [this] { Paste(); }, QKeySequence::Paste);
  // The undo and redo items name their step ("Undo Edit Shear Wave Velocity").
  QUndoStack* stack = history_->Stack();
  const auto undoState = [this, stack] {
    act_.editUndo->setEnabled(stack->canUndo());
    act_.editUndo->setText(stack->canUndo() ? QStringLiteral("&Undo ") + stack->undoText() : QStringLiteral("&Undo"));
    act_.editRedo->setEnabled(stack->canRedo());
    act_.editRedo->setText(stack->canRedo() ? QStringLiteral("&Redo ") + stack->redoText() : QStringLiteral("&Redo"));
  };
  connect(stack, &QUndoStack::indexChanged, this, undoState);
  connect(stack, &QUndoStack::cleanChanged, this, undoState);
  undoState();
  a.autosave = new QActionGroup(this);
  for (const int minutes : TAutosave::kIntervals) {
    QAction* item = MakeAction(QStringLiteral("EditAutosave%1").arg(minutes),
                               minutes == 0 ? QStringLiteral("&Off")
                                            : QStringLiteral("Every &%1 Minute%2").arg(minutes).arg(minutes == 1 ? "" : "s"),
                               [this, minutes] { autosave_->SetInterval(minutes); });
    item->setCheckable(true);
    a.autosave->addAction(item);
  }

  a.dataTitle = MakeAction("DataTitle", "&Title", [this] { ShowChild(TChildId::Title); });
  a.units = new QActionGroup(this);
  a.unitsEnglish = MakeAction("UnitsEnglish", "&English Units (lbs, slug, ft)", [this] { SetUnits(1); });
  a.unitsSI = MakeAction("UnitsSI", "&SI Units (kN, Mg, m)", [this] { SetUnits(2); });
  for (QAction* unit : {a.unitsEnglish, a.unitsSI}) {
    unit->setCheckable(true);
    a.units->addAction(unit);
  }
  a.dataFoundationOptions = MakeAction("DataFoundationOptions", "Option of Foundation System",
                                       [this] { ShowChild(TChildId::FoundationOptions); });
  a.loads = new QActionGroup(this);
  const char* loadNames[] = {"LoadHarmonic", "LoadTransient", "LoadRandom"};
  const char* loadCaptions[] = {"Harmonic Loading", "Transient Loading", "Random Loading"};
  for (int type = 1; type <= 3; ++type) {
    QAction* load = MakeAction(loadNames[type - 1], loadCaptions[type - 1], [this, type] { SetLoadType(type); });
    load->setCheckable(true);
    a.loads->addAction(load);
    a.load[type - 1] = load;
  }
  a.dataFoundationShape =
      MakeAction("DataFoundationShape", "Option of Foundation Shape", [this] { ShowChild(TChildId::FoundationShape); });
  a.dataPileCapShape =
      MakeAction("DataPileCapShape", "Pile Cap Shape/Dimension", [this] { ShowChild(TChildId::FoundationShape); });
  a.dataMass = MakeAction("DataMass", "Footing Mass Parameters", [this] { ShowChild(TChildId::MassData); });
  a.dataFoundationDimension = MakeAction("DataFoundationDimension", "Foundation Dimension and Constants",
                                         [this] { ShowFoundationDimension(); });
  a.dataFoundationLayer =
      MakeAction("DataFoundationLayer", "Foundation Layer", [this] { ShowTable(tables_->MultiElement()); });
  a.dataPileCapMass =
      MakeAction("DataPileCapMass", "Pile Cap Mass Properties", [this] { ShowChild(TChildId::PileCapProperties); });
  a.dataPileCoordinates =
      MakeAction("DataPileCoordinates", "Pile Coordinates", [this] { ShowTable(tables_->Pilecoord()); });
  a.dataPileProperties =
      MakeAction("DataPileProperties", "&Pile Properties", [this] { ShowChild(TChildId::PileProperties); });
  a.dataPileElements = MakeAction("DataPileElements", "Pile Elements", [this] { ShowTable(tables_->PileData()); });
  a.dataSoilLayer = MakeAction("DataSoilLayer", "Soil &Layer Data", [this] {
    if (project_->FoundationCode == TFoundationType::Pile) ShowTable(tables_->D());
  });
  a.dataSoilBelow =
      MakeAction("DataSoilBelow", "Soil Data Below Footing/PileTip", [this] { ShowChild(TChildId::SoilBelow); });
  a.dataSideSoil = MakeAction("DataSideSoil", "Side Soil of Fondation", [this] { ShowSideSoil(); });
  a.dataSoilColumn = MakeAction("DataSoilColumn", "Soil Column Layer", [this] { ShowTable(tables_->Multisoil()); });
  a.harmonicQuadratic = MakeAction("HarmonicQuadratic", "Quadratic", [this] { ShowHarmonic(1); });
  a.harmonicNonQuadratic = MakeAction("HarmonicNonQuadratic", "NonQuadratic", [this] { ShowHarmonic(0); });
  a.harmonicQuadratic->setCheckable(true);
  a.harmonicNonQuadratic->setCheckable(true);
  a.dataTransient = MakeAction("DataTransient", "Transient Loading Data", [this] { ShowChild(TChildId::Transient); });
  a.dataRandom = MakeAction("DataRandom", "Random Loading Data", [this] { ShowChild(TChildId::Random); });
  a.dataOptions = MakeAction("DataOptions", "Control &Options...", [this] { ShowChild(TChildId::ControlOptions); });

  a.runAnalysis = MakeAction("RunAnalysis", "&Run Analysis", [this] { RunAnalysis(); }, QKeySequence(Qt::Key_F9));
  a.runAnalysis->setStatusTip("Save the project and analyse it");
  a.editInput = MakeAction("EditInput", "Edit I&nput Text", [this] { EditFile(QStringLiteral(".tvd")); });
  a.editNotes = MakeAction("EditNotes", "Edit &Processor-Run Notes", [this] { EditFile(QStringLiteral(".tvr")); });
  a.editOutput = MakeAction("EditOutput", "Edit &Output Text", [this] { EditFile(QStringLiteral(".tvo")); });
  a.viewReport =
      MakeAction("ViewReport", "&View Report", [this] { ShowReport(TRunFiles::Beside(project_->FileName).report); },
                 QKeySequence(Qt::CTRL | Qt::Key_R));
  a.viewReport->setStatusTip("Show the report of the last complete run: find, error lines, print, PDF");
  a.viewFailedReport = MakeAction("ViewFailedReport", "View Report of Last &Failed Run",
                                  [this] { ShowReport(TRunFiles::Beside(project_->FileName).failed); });
  a.viewFailedReport->setStatusTip(
      "Show the report of the last run that gave no results (its previous results were kept)");
  a.springsDashpots =
      MakeAction("SpringsDashpots", "&Springs and Dashpots at a Frequency...", [this] { ShowSpringsDashpots(); });
  a.springsDashpots->setStatusTip("Equivalent springs and dashpots of the foundation at an operating frequency");

  a.viewTop = MakeAction("ViewTop", "Top View", [this] { ShowChild(TChildId::TopView); });
  a.viewSideXZ = MakeAction("ViewSideXZ", "Side View (XZ-Plane)", [this] { ShowChild(TChildId::SideViewXZ); });
  a.viewSideYZ = MakeAction("ViewSideYZ", "Side View (YZ-Plane)", [this] { ShowChild(TChildId::SideViewYZ); });
  a.view3D = MakeAction("View3D", "3D View", [this] { View3D(); });

  a.graphicsTranslationalStiffness = MakeAction("GraphicsTranslationalStiffness", "&Translational Stiffness (Kxx, Kyy, Kww)",
                                                [this] { ShowChild(TChildId::PlotTranslationalStiffness); });
  a.graphicsRotationalStiffness = MakeAction("GraphicsRotationalStiffness", "Rotational Stiffness (Kppx, Kppy, Kzt)",
                                             [this] { ShowChild(TChildId::PlotRotationalStiffness); });
  a.graphicsTranslationalDamping = MakeAction("GraphicsTranslationalDamping", "Translational Damping (Cxx, Cyy, Cww)",
                                              [this] { ShowChild(TChildId::PlotTranslationalDamping); });
  a.graphicsRotationalDamping = MakeAction("GraphicsRotationalDamping", "Rotational Damping (Cppx, Cppy, Czt)",
                                           [this] { ShowChild(TChildId::PlotRotationalDamping); });
  a.graphicsDisplacement = MakeAction("GraphicsDisplacement", "Footing Response Amplitude (Displacement)",
                                      [this] { ShowChild(TChildId::PlotDisplacement); });
  a.graphicsRotation = MakeAction("GraphicsRotation", "Footing Response Amplitude (Rotation)",
                                  [this] { ShowChild(TChildId::PlotRotation); });
  a.graphicsAmplitude =
      MakeAction("GraphicsAmplitude", "Interactive Footing Response Amplitude ", [this] { ShowAmplitudePlot(); });

  a.windowCascade = MakeAction("WindowCascade", "&Cascade", [this] { mdi_->cascadeSubWindows(); });
  a.windowArrange = MakeAction("WindowArrange", "&Arrange Icons", [this] {
    // Minimised children in a row along the bottom edge.
    int x = 0;
    for (QMdiSubWindow* window : mdi_->subWindowList()) {
      if (!window->isMinimized()) continue;
      window->move(x, mdi_->viewport()->height() - window->height());
      x += window->width();
    }
  });
  for (int i = 0; i < kWindowListSize; ++i) {
    a.windowList[i] = MakeAction(QStringLiteral("Window%1").arg(i + 1), {}, [this, i] {
      const auto windows = mdi_->subWindowList();
      if (i < windows.size()) {
        windows[i]->showNormal();
        mdi_->setActiveSubWindow(windows[i]);
      }
    });
    a.windowList[i]->setVisible(false);
  }

  a.helpContents = MakeAction("HelpContents", "&Contents", [this] { ShowHelpContents(); }, QKeySequence::HelpContents);
  a.helpManual = MakeAction("HelpManual", "&User's Manual", [this] { ShowManualDocument(); });
  a.helpValidation = MakeAction("HelpValidation", "&Validation", [this] { ShowValidation(); });
  a.helpAbout = MakeAction("HelpAbout", "&About...", [this] { ShowAbout(); });
  a.helpUpdates = MakeAction("HelpUpdates", "Check for &Updates", [this] { OpenUpdatePage(); });
}

void TMainForm::CreateMenus() {
  const TMainActions& a = act_;
  fileMenu_ = menuBar()->addMenu("&File");
  fileMenu_->addAction(a.fileNew);
  QMenu* templates = fileMenu_->addMenu("New from &Template");
  templates->menuAction()->setObjectName(QStringLiteral("FileNewFromTemplate"));
  templates->addActions({a.fileNewHalfSpace, a.fileNewStratum, a.fileNewPileGroup});
  fileMenu_->addActions({a.fileOpen, a.fileSave, a.fileSaveAs});
  fileMenu_->addSeparator();
  fileMenu_->addActions({a.fileExportResults, a.fileCalcReport, a.fileAddComparison, a.fileRemoveComparisons});
  fileMenu_->addSeparator();
  for (QAction* recent : a.fileRecent) fileMenu_->addAction(recent);
  act_.recentSeparator = fileMenu_->addSeparator();
  fileMenu_->addAction(a.fileExit);

  editMenu_ = menuBar()->addMenu("&Edit");
  editMenu_->addActions({a.editUndo, a.editRedo});
  editMenu_->addSeparator();
  editMenu_->addActions({a.editCut, a.editCopy, a.editPaste});
  editMenu_->addSeparator();
  QMenu* autosaveMenu = editMenu_->addMenu("&Autosave");
  autosaveMenu->menuAction()->setObjectName(QStringLiteral("EditAutosave"));
  autosaveMenu->addActions(a.autosave->actions());
  connect(autosaveMenu, &QMenu::aboutToShow, this, [this] {
    for (QAction* item : act_.autosave->actions())
      item->setChecked(item->objectName() == QStringLiteral("EditAutosave%1").arg(autosave_->Interval()));
  });

  dataMenu_ = menuBar()->addMenu("&Data");
  dataMenu_->addAction(a.dataTitle);
  unitsMenu_ = dataMenu_->addMenu("&Units");
  unitsMenu_->addActions(a.units->actions());
  dataMenu_->addSeparator();
  dataMenu_->addAction(a.dataFoundationOptions);
  loadingMenu_ = dataMenu_->addMenu("Option of Loading");
  loadingMenu_->addActions(a.loads->actions());
  dataMenu_->addSeparator();
  dataMenu_->addActions({a.dataFoundationShape, a.dataPileCapShape, a.dataMass, a.dataFoundationDimension,
                         a.dataFoundationLayer, a.dataPileCapMass, a.dataPileCoordinates, a.dataPileProperties,
                         a.dataPileElements});
  dataMenu_->addSeparator();
  dataMenu_->addActions({a.dataSoilLayer, a.dataSoilBelow, a.dataSideSoil, a.dataSoilColumn});
  dataMenu_->addSeparator();
  harmonicMenu_ = dataMenu_->addMenu("Harmonic Loading Data");
  harmonicMenu_->menuAction()->setObjectName(QStringLiteral("DataHarmonic"));
  harmonicMenu_->addActions({a.harmonicQuadratic, a.harmonicNonQuadratic});
  dataMenu_->addActions({a.dataTransient, a.dataRandom});
  dataMenu_->addSeparator();
  dataMenu_->addAction(a.dataOptions);

  computationMenu_ = menuBar()->addMenu("&Computation");
  computationMenu_->addAction(a.runAnalysis);
  computationMenu_->addSeparator();
  computationMenu_->addActions({a.editInput, a.editNotes, a.editOutput});
  computationMenu_->addSeparator();
  computationMenu_->addActions({a.viewReport, a.viewFailedReport});
  computationMenu_->addSeparator();
  computationMenu_->addAction(a.springsDashpots);

  viewMenu_ = menuBar()->addMenu("View Geometry");
  viewMenu_->addActions({a.viewTop, a.viewSideXZ, a.viewSideYZ});
  viewMenu_->addSeparator();
  viewMenu_->addAction(a.view3D);

  graphicsMenu_ = menuBar()->addMenu("&Graphics");
  graphicsMenu_->addActions({a.graphicsTranslationalStiffness, a.graphicsRotationalStiffness,
                             a.graphicsTranslationalDamping, a.graphicsRotationalDamping});
  graphicsMenu_->addSeparator();
  graphicsMenu_->addActions({a.graphicsDisplacement, a.graphicsRotation});
  graphicsMenu_->addSeparator();
  graphicsMenu_->addAction(a.graphicsAmplitude);

  windowMenu_ = menuBar()->addMenu("&Window");
  windowMenu_->addActions({a.windowCascade, a.windowArrange});
  act_.windowSeparator = windowMenu_->addSeparator();
  for (QAction* entry : a.windowList) windowMenu_->addAction(entry);

  helpMenu_ = menuBar()->addMenu("&Help");
  helpMenu_->addActions({a.helpContents, a.helpManual, a.helpValidation});
  helpMenu_->addSeparator();
  helpMenu_->addActions({a.helpAbout, a.helpUpdates});

  // The active child stores its values before any menu opens.
  for (QMenu* menu :
       {fileMenu_, editMenu_, dataMenu_, computationMenu_, viewMenu_, graphicsMenu_, windowMenu_, helpMenu_})
    connect(menu, &QMenu::aboutToShow, this, [this] { DeactivateActiveChild(); });
  connect(fileMenu_, &QMenu::aboutToShow, this, &TMainForm::UpdateFileMenu);
  connect(editMenu_, &QMenu::aboutToShow, this, &TMainForm::UpdateEditMenu);
  connect(dataMenu_, &QMenu::aboutToShow, this, &TMainForm::UpdateDataMenu);
  connect(computationMenu_, &QMenu::aboutToShow, this, &TMainForm::UpdateComputationMenu);
  connect(windowMenu_, &QMenu::aboutToShow, this, &TMainForm::UpdateWindowMenu);
  connect(graphicsMenu_, &QMenu::aboutToShow, this, &TMainForm::UpdateGraphicsMenu);
  connect(unitsMenu_, &QMenu::aboutToShow, this,
          [this] { (project_->Units == 1 ? act_.unitsEnglish : act_.unitsSI)->setChecked(true); });
  connect(harmonicMenu_, &QMenu::aboutToShow, this, [this] {
    act_.harmonicQuadratic->setChecked(project_->Quadratic == 1);
    act_.harmonicNonQuadratic->setChecked(project_->Quadratic != 1);
  });
}

void TMainForm::UpdateDataMenu() {
  const TMainActions& a = act_;
  const TFoundationType code = project_->FoundationCode;
  const bool pile = code == TFoundationType::Pile;
  const bool footing = !pile;
  for (QAction* action : {a.dataPileProperties, a.dataPileElements, a.dataPileCoordinates, a.dataPileCapMass,
                          a.dataPileCapShape, a.dataSoilLayer})
    action->setEnabled(pile);
  for (QAction* action : {a.dataFoundationDimension, a.dataMass, a.dataFoundationShape}) action->setEnabled(footing);
  a.dataFoundationLayer->setEnabled(code == TFoundationType::Multilayer);
  a.dataSoilBelow->setEnabled(true);
  a.dataSideSoil->setEnabled(code != TFoundationType::Stratum);
  a.dataSideSoil->setText(code == TFoundationType::Pile      ? QStringLiteral("Side Soil of Pile Cap")
                          : code == TFoundationType::Stratum ? QStringLiteral("Side Soil")
                                                             : QStringLiteral("Side Soil of Fondation"));
  a.dataSoilColumn->setEnabled(code == TFoundationType::Multilayer);
  // The soil column below a multilayer foundation has a layer for each of
  // its elements not already beside a soil layer; never fewer rows than the
  // table's minimum (a difference of zero or less would empty it).
  if (code == TFoundationType::Multilayer && tables_->MultiElement()->RowCount() > 1) {
    TGridTable* column = tables_->Multisoil();
    NameNextStep(QStringLiteral("Fit Soil Column to Foundation Layers"));
    column->SetRowCount(
        std::max(column->MinRows(), tables_->MultiElement()->RowCount() - tables_->D()->RowCount()));
  }
}

void TMainForm::FoundationTypeChanged() {
  const bool pile = project_->FoundationCode == TFoundationType::Pile;
  for (QAction* action : {act_.dataPileProperties, act_.dataPileElements, act_.dataPileCoordinates})
    action->setEnabled(pile);
}

void TMainForm::UpdateLoadType(bool closeWindows) {
  const TLoadType type = project_->LoadType;
  act_.load[static_cast<int>(type) - 1]->setChecked(true);
  harmonicMenu_->menuAction()->setEnabled(type == TLoadType::Harmonic);
  act_.dataTransient->setEnabled(type == TLoadType::Transient);
  act_.dataRandom->setEnabled(type == TLoadType::Random);
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
  act_.editInput->setEnabled(QFileInfo::exists(file));
  act_.editNotes->setEnabled(QFileInfo::exists(WithExtension(file, QStringLiteral(".tvr"))));
  act_.editOutput->setEnabled(QFileInfo::exists(WithExtension(file, QStringLiteral(".tvo"))));
  const TRunFiles files = TRunFiles::Beside(file);
  act_.viewReport->setEnabled(!project_->IsUnnamed() && QFileInfo::exists(files.report));
  act_.viewFailedReport->setEnabled(!project_->IsUnnamed() && QFileInfo::exists(files.failed));
  act_.springsDashpots->setEnabled(SpringsDashpotsAvailable());
}

void TMainForm::UpdateGraphicsMenu() {
  const TMainActions& a = act_;
  const bool results =
      resultsAvailable_ && QFileInfo::exists(WithExtension(project_->FileName, QStringLiteral(".tvp")));
  const bool constants = results && project_->Matrix == 1;
  const bool responses = constants && project_->LoadType == TLoadType::Harmonic;
  for (QAction* action : {a.graphicsTranslationalStiffness, a.graphicsRotationalStiffness,
                          a.graphicsTranslationalDamping, a.graphicsRotationalDamping})
    action->setEnabled(constants);
  a.graphicsDisplacement->setEnabled(responses);
  a.graphicsRotation->setEnabled(responses);
  a.graphicsAmplitude->setEnabled(results);
}

void TMainForm::UpdateFileMenu() {
  act_.fileAddComparison->setEnabled(resultsAvailable_ && !Running());
  act_.fileRemoveComparisons->setEnabled(!comparisons_.Empty());
  const QStringList texts = settings_.recent.MenuTexts(QDir::currentPath());
  for (int i = 0; i < kRecentCount; ++i) {
    QAction* item = act_.fileRecent[i];
    item->setVisible(i < texts.size());
    if (i < texts.size()) item->setText(texts[i]);
  }
  act_.recentSeparator->setVisible(!texts.isEmpty());
  act_.fileExportResults->setEnabled(ExportAvailable());
  act_.fileCalcReport->setEnabled(ExportAvailable() && !Running());
}

void TMainForm::UpdateWindowMenu() {
  const auto windows = mdi_->subWindowList();
  for (int i = 0; i < kWindowListSize; ++i) {
    QAction* item = act_.windowList[i];
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
  act_.windowSeparator->setVisible(!windows.isEmpty());
}

// ---------------------------------------------------------------------------
// Edit menu

TTableForm* TMainForm::ActiveTableForm() const {
  // the table the focus is in (a load table shows its histories' tables
  // inside its own window), else the active window's
  for (QWidget* w = QApplication::focusWidget(); w; w = w->parentWidget())
    if (auto* form = qobject_cast<TTableForm*>(w)) return form;
  QMdiSubWindow* window = mdi_->activeSubWindow();
  return window ? qobject_cast<TTableForm*>(window->widget()) : nullptr;
}

namespace {
// The focused line of text (a field, a cell being typed into), if any.
QLineEdit* FocusedLine() { return qobject_cast<QLineEdit*>(QApplication::focusWidget()); }
}  // namespace

void TMainForm::UpdateEditMenu() {
  history_->Flush();  // the undo item names the last step
  const TTableForm* table = ActiveTableForm();
  const QLineEdit* line = FocusedLine();
  const bool lineSelection = line && line->hasSelectedText();
  act_.editCut->setEnabled((line && !line->isReadOnly() && lineSelection) || (table && table->HasSelection()));
  act_.editCopy->setEnabled(lineSelection || (table && table->HasSelection()));
  act_.editPaste->setEnabled(((line && !line->isReadOnly()) || table) && !QApplication::clipboard()->text().isEmpty());
}

// The Edit commands go to the cell or field being typed into; in a table
// window without an open entry, to its selected cells.
void TMainForm::Cut() {
  TTableForm* table = ActiveTableForm();
  if (table && !table->HasOpenEntry()) table->CutSelection();
  else if (QLineEdit* line = FocusedLine()) line->cut();
}

void TMainForm::Copy() {
  TTableForm* table = ActiveTableForm();
  if (table && !table->HasOpenEntry()) table->CopySelection();
  else if (QLineEdit* line = FocusedLine()) line->copy();
}

void TMainForm::Paste() {
  TTableForm* table = ActiveTableForm();
  if (table && !table->HasOpenEntry()) table->PasteClipboard();
  else if (QLineEdit* line = FocusedLine()) line->paste();
}

}  // namespace terva::gui
