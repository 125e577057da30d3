// The program's frame: a multi-document window whose children are the data
// windows, the table windows, the geometry views and the plot windows. It
// owns the project, the project's grid tables, the result plots and the
// settings, and carries every menu command. Its menus and their enabled
// state are in MainMenus.cpp, the run in RunAnalysis, the recent files and
// the editor in gui/model/Settings, the compared results in Comparisons and
// the help windows in Help.
#pragma once

#include <QDateTime>
#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <array>
#include <functional>
#include <memory>

#include "gui/app/Comparisons.hpp"
#include "gui/app/MainActions.hpp"
#include "gui/model/PltData.hpp"
#include "gui/model/ProjectTemplates.hpp"
#include "gui/model/Settings.hpp"
#include "gui/report/CalcReportWriter.hpp"
#include "gui/views/ReportViewer.hpp"

class QAction;
class QMdiArea;
class QMdiSubWindow;
class QMenu;

namespace terva::gui {

class TAutosave;
class TChildForm;
class TDlgCalcReport;
class TProjectHistory;
class TTableForm;
class TDlgRunAnalysis;
class TEngineRunner;
class TRunController;
struct TRunResult;
class TGridTable;
class TProgramData;
class TProjectTables;

// The child windows created on demand, each with its own window-open flag.
enum class TChildId : int {
  Title,
  ControlOptions,
  PileCapProperties,
  PileProperties,
  FoundationShape,
  FoundationOptions,
  MassData,
  FoundationData,
  FoundationProperties,
  SoilBelow,
  NonQuadratic,
  Quadratic,
  Transient,
  Random,
  TopView,
  SideViewXZ,
  SideViewYZ,
  PlotTranslationalStiffness,
  PlotRotationalStiffness,
  PlotTranslationalDamping,
  PlotRotationalDamping,
  PlotDisplacement,
  PlotRotation,
};
inline constexpr int kChildCount = 23;

class TMainForm : public QMainWindow {
  Q_OBJECT

 public:
  static const QString kVersion;        // TERVA_VERSION (terva/version.h)
  static const QString kCaptionPrefix;  // "TERVA " and the version, " - "
  static const QString kUpdatePage;     // the release page that "Check for Updates" opens
  static constexpr int kRecentCount = TRecentFiles::kCount;
  static constexpr int kWindowListSize = TMainActions::kWindowListSize;

  explicit TMainForm(QWidget* parent = nullptr);
  ~TMainForm() override;

  // Settings and the command-line project (empty: a new project).
  void Start(const QString& projectArgument = {});

  // --- State ----------------------------------------------------------------
  TProgramData& Project() { return *project_; }
  TProjectTables& Tables() { return *tables_; }
  TResultPlots& Plots() { return plots_; }
  QMdiArea* MdiArea() const { return mdi_; }
  // The project or any of its tables changed since it was created, loaded or saved.
  bool Modified() const;
  // true: the project counts as changed (an entry typed and not yet
  // stored); false: as saved, which marks the undo history clean.
  void SetModified(bool modified = true);
  QString EditorPath() const { return settings_.editorPath; }
  void SetEditorPath(const QString& path) { settings_.editorPath = path; }
  // The platform's usual text editor: "notepad.exe" in the Windows folder on
  // Windows; empty elsewhere, meaning the desktop's default application.
  static QString DefaultEditorPath() { return TSettings::DefaultEditorPath(); }
  const QStringList& RecentFiles() const { return settings_.recent.Files(); }
  // The file name of the project without a ".tvd" extension, first letter in
  // upper case ("NewData" for a new project).
  QString DisplayName() const;
  static QString DisplayNameOf(const QString& fileName);

  // --- Child windows ----------------------------------------------------------
  // Makes the window of a child; the forms, plots and views register theirs.
  using ChildFactory = std::function<QWidget*(TMainForm&)>;
  void RegisterChild(TChildId id, ChildFactory factory);
  // Shows the child's window, creating it when its flag is clear; null when
  // no window of that kind is registered.
  QWidget* ShowChild(TChildId id);
  bool ChildOpen(TChildId id) const { return !children_[static_cast<int>(id)].isNull(); }
  void CloseChild(TChildId id);
  // The active child receives its deactivation; false when it refused.
  bool DeactivateActiveChild();

  // --- Undo history -----------------------------------------------------------
  TProjectHistory& History() { return *history_; }
  // Takes the changes made to the project as one step of the history named
  // `step`, now; the caption follows.
  void CommitStep(const QString& step);
  // Edit > Undo and Redo: the active window stores its entry first.
  void Undo();
  void Redo();
  // Edit > Cut, Copy and Paste on the active table window (tab-separated
  // text, as spreadsheets exchange cells); the focused field's own otherwise.
  void Cut();
  void Copy();
  void Paste();
  TAutosave& Autosave() { return *autosave_; }
  // The question the next start asks about an autosave left by an abnormal
  // end: the project's file, the autosave's time and the file's.
  static QString RecoveryQuestion(const QString& project, const QDateTime& autosaved, const QDateTime& fileSaved);

  // --- Commands ---------------------------------------------------------------
  bool FileNew();
  // File > New from Template: a new, unnamed project holding the example
  // (the pile group asks for its layout first).
  bool FileNewFromTemplate(TProjectTemplate kind);
  // Replaces the pile group's layout dialog (tests): fills the layout and
  // returns whether it was accepted.
  using PileGroupHook = std::function<bool(TPileGroupTemplate& group)>;
  static void SetPileGroupHook(PileGroupHook hook);
  bool FileOpen();
  bool FileSave();
  bool FileSaveAs();
  // Loads a project file (the Open command's second half); false when it
  // failed and the previous project stays.
  bool OpenProject(const QString& path, bool addToRecent = true);
  void OpenRecent(int index);
  bool AskToSave();
  void RunAnalysis();
  // Comparing designs: adds the curves of another project's results (its
  // project, graphic data or results file) to the result plots, each named
  // with its project's file name; false with a message when they cannot be
  // read. Removing by name (all when empty) takes them out again. Nothing
  // of the open project changes; a new or opened project starts without.
  bool AddComparison(const QString& path);
  void RemoveComparison(const QString& name = QString());
  QStringList ComparedNames() const;
  void AddComparisonCommand();
  // The message after a run: completed; completed with errors at N
  // frequencies; stopped; input errors with the report's first error lines;
  // cancelled; the engine ended abnormally; could not be run.
  static QString RunOutcomeText(const TRunResult& result);
  // The report viewer on `path` (one window, reused).
  void ShowReport(const QString& path);
  TReportViewer* ReportViewer() const { return reportViewer_; }
  void SetLoadType(int loadType);
  void SetUnits(int system);
  void EditFile(const QString& extension);
  void View3D();
  void ShowManual();
  void ShowValidation();
  void ShowHelpPage(QPointer<QWidget>& slot, const QString& title, const QString& page, const QString& name);
  void ShowAbout();
  // Adds a path to the recent files and writes the settings.
  void AddRecentFile(const QString& path);

  // --- Menu state -------------------------------------------------------------
  void UpdateDataMenu();          // by foundation type
  void UpdateLoadType(bool closeWindows = true);
  void UpdateComputationMenu();   // by the files that exist
  void UpdateGraphicsMenu();      // by the results, MATRIX and the load type
  // The graphic data file was read completely after the last run or open.
  bool ResultsAvailable() const { return resultsAvailable_; }
  // The modal amplitude plot of the Graphics menu.
  void ShowAmplitudePlot();
  // Results of the last run, read from its graphic data file: the springs
  // and dashpots dialog (Computation menu, runs with the MATRIX option) and
  // File > Export Results (after any run). Both read the project file as
  // saved and never change the project.
  bool SpringsDashpotsAvailable() const;
  bool ExportAvailable() const;
  void ShowSpringsDashpots();
  void ExportResultsCommand();
  // Writes the files of `format` beside the project; false (with the
  // message shown) when it could not.
  bool ExportResultsAs(int format);
  // File > Calculation Report: the criteria dialog, then where to write; the
  // project's input must be the one its results were computed from (saved,
  // and not saved after the run).
  void CalcReportCommand();
  // Writes the report of the open project and its last run to `path`;
  // false, with the message shown, when it could not. `verdicts` gets the
  // checks' lines.
  bool WriteCalcReportTo(const TCalcReportRequest& request, const QString& path, QStringList* verdicts = nullptr);
  // Why the open project's results do not match its input; empty when they do.
  QString ReportRefusal() const;
  void UpdateFileMenu();          // the recent-file items
  void UpdateEditMenu();          // what Cut, Copy and Paste have to work on
  void UpdateWindowMenu();        // the window list
  void UpdateCaption();
  // After a change of foundation type in the foundation options window.
  void FoundationTypeChanged();

  // The menu commands.
  const TMainActions& Actions() const { return act_; }
  // The action with the given object name (every menu command has one).
  QAction* Action(const QString& name) const;

  // Replaces the open and save dialogs (tests): returns the chosen path,
  // empty when cancelled.
  using FileDialogHook = std::function<QString(bool save, const QString& caption, const QString& start)>;
  static void SetFileDialogHook(FileDialogHook hook);
  // Replaces the start of outside programs (editor, viewer, documents):
  // returns whether it started.
  using LaunchHook = std::function<bool(const QString& program, const QStringList& arguments)>;
  static void SetLaunchHook(LaunchHook hook);
  // Replaces the engine of Run Analysis (tests: an engine in the process).
  using EngineHook = std::function<TEngineRunner()>;
  static void SetEngineHook(EngineHook hook);
  // Replaces the format dialog of Export Results (tests): 0 CSV, 1 JSON,
  // -1 cancelled.
  using ExportChoiceHook = std::function<int()>;
  static void SetExportChoiceHook(ExportChoiceHook hook);
  // Replaces the Calculation Report dialog's exec (tests): fills the
  // dialog and returns whether it was accepted.
  using CalcReportHook = std::function<bool(TDlgCalcReport& dialog)>;
  static void SetCalcReportHook(CalcReportHook hook);

  TDlgRunAnalysis* RunDialog() const;
  bool Running() const;

 signals:
  void ProjectReplaced();
  // A data window stored a value into the project (the geometry views follow).
  void ProjectEdited();
  void RunFinished(int code);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void CreateActions();
  void CreateMenus();
  void RegisterChildWindows();
  QAction* MakeAction(const QString& name, const QString& caption, std::function<void()> slot,
                      const QKeySequence& shortcut = {});
  void ShowTable(TGridTable* table);
  void ShowSideSoil();
  void ShowFoundationDimension();
  void ShowHarmonic(int quadratic);
  void ReplaceProject(std::unique_ptr<TProgramData> project);
  void CloseProjectWindows();
  // After an undo or redo: the menus and every open window show the
  // project's state.
  void StateApplied();
  // The table window the Edit commands work on: the active one, if any.
  TTableForm* ActiveTableForm() const;
  // After an abnormal end: offers the project the autosave kept.
  void OfferRecovery();
  void ReadPlots();
  void ShowRunOutcome(const TRunResult& result);
  void ShowHelpContents();
  void ShowManualDocument();
  void OpenUpdatePage();
  // The project file as this window last read or wrote it; before Save,
  // Save As over it and Run, a file changed by someone else is reloaded,
  // overwritten or left alone as the user says (false: stop).
  void RememberDiskState();
  bool CheckDiskState();
  // The message after an import: what the project does not hold.
  QString ImportText(const QStringList& notes) const;
  // Before the first save over the engine input the project was imported
  // from: MbOverwrite, MbSaveAs or MbCancel.
  int AskSaveOverImport();
  bool Launch(const QString& program, const QStringList& arguments) const;
  bool OpenDocument(const QString& path) const;
  QString ChooseFile(bool save, const QString& caption, const QString& start);
  void SubWindowActivated(QMdiSubWindow* window);
  void AddChildWindow(TChildId id, QWidget* widget);
  QString ProgramFolder() const;

  std::unique_ptr<TProjectTables> tables_;
  std::unique_ptr<TProgramData> project_;
  TProjectHistory* history_ = nullptr;
  TAutosave* autosave_ = nullptr;
  TResultPlots plots_;
  TComparisons comparisons_{plots_};
  bool modified_ = false;
  // The engine input the project was imported from (EngineImport.hpp) until
  // it is first saved: a save over it asks first.
  QString importedFrom_;
  TSettings settings_;
  bool resultsAvailable_ = false;

  QMdiArea* mdi_ = nullptr;
  TRunController* run_ = nullptr;
  TMainActions act_;
  QPointer<QMdiSubWindow> active_;
  bool reactivating_ = false;
  std::array<QPointer<QMdiSubWindow>, kChildCount> children_{};
  std::array<ChildFactory, kChildCount> factories_{};
  QPointer<TReportViewer> reportViewer_;
  QString diskFile_;
  QByteArray diskState_;
  QPointer<QWidget> manual_;
  QPointer<QWidget> validation_;

  QMenu* fileMenu_ = nullptr;
  QMenu* editMenu_ = nullptr;
  QMenu* dataMenu_ = nullptr;
  QMenu* computationMenu_ = nullptr;
  QMenu* viewMenu_ = nullptr;
  QMenu* graphicsMenu_ = nullptr;
  QMenu* windowMenu_ = nullptr;
  QMenu* helpMenu_ = nullptr;
  QMenu* unitsMenu_ = nullptr;
  QMenu* loadingMenu_ = nullptr;
  QMenu* harmonicMenu_ = nullptr;
};

}  // namespace terva::gui
