#include "gui/app/Main.hpp"

#include <algorithm>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCryptographicHash>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMimeData>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStatusBar>
#include <QUrl>

#include "gui/model/Table.hpp"
#include "gui/plots/AmpPlot.hpp"
#include "gui/widgets/TableForm.hpp"
#include "gui/app/Autosave.hpp"
#include "gui/app/CalcReportDialog.hpp"
#include "gui/app/Help.hpp"
#include "gui/app/TemplateDialog.hpp"
#include "gui/app/History.hpp"
#include "gui/forms/DataForm.hpp"
#include "gui/model/ProjectState.hpp"
#include "gui/app/ResultsDialogs.hpp"
#include "gui/app/RunAnalysis.hpp"
#include "gui/views/ReportViewer.hpp"
#include "gui/core/EngineRunner.hpp"
#include "gui/core/Messages.hpp"
#include "gui/model/ProgramData.hpp"
#include "gui/files/ProjectReader.hpp"
#include "gui/model/ProjectTables.hpp"
#include "gui/files/ProjectWriter.hpp"
#include "gui/widgets/ChildForm.hpp"
#include "gui/widgets/TableWindows.hpp"
#include "gui/widgets/VectorExport.hpp"
#include "terva/version.h"

// The manual and its pictures live in a resource of the static library.
static void InitResources() { Q_INIT_RESOURCE(manual); }

namespace terva::gui {

const QString TMainForm::kVersion = QStringLiteral(TERVA_VERSION);
const QString TMainForm::kCaptionPrefix = QStringLiteral("TERVA " TERVA_VERSION " - ");
const QString TMainForm::kUpdatePage = QStringLiteral("https://terva.example.org/releases");

namespace {

const QString kFilter = QStringLiteral("TERVA " TERVA_VERSION " (*.tvd);;All Files (*)");
const QString kEditorFailed = QStringLiteral("An error occurred in running the Word Processor");
const QString kViewerFailed = QStringLiteral("An error occurred in running the Graphics Processor");
const QString kAskToSave = QStringLiteral("Do you want to save any changes?");

TMainForm::FileDialogHook& DialogHook() {
  static TMainForm::FileDialogHook hook;
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

}  // namespace

void TMainForm::SetFileDialogHook(FileDialogHook hook) { DialogHook() = std::move(hook); }
void TMainForm::SetLaunchHook(LaunchHook hook) { StartHook() = std::move(hook); }
void TMainForm::SetEngineHook(EngineHook hook) { TRunController::SetEngineHook(std::move(hook)); }
void TMainForm::SetExportChoiceHook(ExportChoiceHook hook) { ChoiceHook() = std::move(hook); }

namespace {
TMainForm::CalcReportHook& ReportHook() {
  static TMainForm::CalcReportHook hook;
  return hook;
}
}  // namespace

void TMainForm::SetCalcReportHook(CalcReportHook hook) { ReportHook() = std::move(hook); }

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent) {
  InitResources();
  setObjectName(QStringLiteral("MainForm"));
  setAcceptDrops(true);
  tables_ = std::make_unique<TProjectTables>();
  project_ = NewProject(*tables_);
  history_ = new TProjectHistory([this]() -> TProgramData& { return *project_; }, *tables_, this);
  // A change of a table is a step of the history, named by the window that
  // made it; the steps of one user action come together.
  connect(tables_.get(), &TProjectTables::Edited, this, [this] {
    if (history_->Applying()) return;
    const QString step = TakeStepName();
    history_->RequestCommit(step.isEmpty() ? QStringLiteral("Edit Table") : step);
    UpdateCaption();
  });
  connect(history_, &TProjectHistory::Committed, this, [this] {
    modified_ = false;
    tables_->ClearModified();
    UpdateCaption();
  });
  connect(history_, &TProjectHistory::Applied, this, &TMainForm::StateApplied);
  connect(history_, &TProjectHistory::CleanChanged, this, &TMainForm::UpdateCaption);
  autosave_ = new TAutosave([this]() -> const TProgramData& { return *project_; }, *tables_,
                            [this] { return Modified(); }, this);

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

  run_ = new TRunController(this, menuBar());
  RegisterChildWindows();
  CreateActions();
  CreateMenus();
  statusBar()->showMessage(QStringLiteral("Ready"), 2000);
  resize(1200, 760);
  UpdateCaption();
}

TMainForm::~TMainForm() {
  InstallTableWindows().SetHost({});
  disconnect(tables_.get(), nullptr, this, nullptr);
  // Table windows go before their tables.
  mdi_->closeAllSubWindows();
  for (QMdiSubWindow* window : mdi_->subWindowList()) delete window;
  // The history goes with the window's children, after this window is no
  // longer one: its stack's last signals must not reach it.
  disconnect(history_, nullptr, this, nullptr);
  disconnect(history_->Stack(), nullptr, this, nullptr);
}

// ---------------------------------------------------------------------------
// Results of the last run

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

QString TMainForm::ReportRefusal() const {
  if (!ExportAvailable()) return QStringLiteral("There are no results: run the analysis first.");
  if (Modified())
    return QStringLiteral("The project has changes that were not analysed. Run the analysis first, so that the "
                          "report's input and results agree.");
  const QFileInfo project(project_->FileName), graphic(WithExtension(project_->FileName, QStringLiteral(".tvp")));
  if (project.lastModified() > graphic.lastModified().addSecs(2))
    return QStringLiteral("The project was saved after its last run. Run the analysis again, so that the report's "
                          "input and results agree.");
  return {};
}

void TMainForm::CalcReportCommand() {
  const QString refusal = ReportRefusal();
  if (!refusal.isEmpty()) {
    ShowMessage(TMessageKind::Information, QStringLiteral("Calculation Report"), refusal);
    return;
  }
  QString range;
  if (!plots_.responseOmega.empty()) {
    const double low = plots_.responseOmega.front(), high = plots_.responseOmega.back();
    range = QStringLiteral("Computed from %1 to %2 Hz (%3 to %4 rpm).")
                .arg(QString::number(low / 6.28, 'g', 5), QString::number(high / 6.28, 'g', 5),
                     QString::number(low / 6.28 * 60, 'g', 5), QString::number(high / 6.28 * 60, 'g', 5));
  }
  TDlgCalcReport dialog(project_->Units, range, this);
  const bool accepted = ReportHook() ? ReportHook()(dialog) : dialog.exec() == QDialog::Accepted;
  if (!accepted) return;
  TCalcReportRequest request;
  if (!dialog.Request(request)) return;
  dialog.Store();  // for the next report and terva-batch --report
  const bool pdf = request.format == TReportFormat::Pdf;
  const QString path = AskExportPath(this, pdf ? QStringLiteral("PDF") : QStringLiteral("HTML"),
                                     CalcReportPath(project_->FileName, request.format));
  if (path.isEmpty()) return;
  QStringList verdicts;
  if (!WriteCalcReportTo(request, path, &verdicts)) return;
  ShowMessage(TMessageKind::Information, QStringLiteral("Calculation Report"),
              QStringLiteral("The calculation report was written to\n%1\n\n%2")
                  .arg(QDir::toNativeSeparators(path), verdicts.join(QLatin1Char('\n'))));
}

bool TMainForm::WriteCalcReportTo(const TCalcReportRequest& request, const QString& path, QStringList* verdicts) {
  QString error;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const bool ok = WriteCalcReport(*project_, *tables_, request, path, &error, verdicts);
  QApplication::restoreOverrideCursor();
  if (!ok)
    ShowMessage(TMessageKind::Error, QStringLiteral("Calculation Report"),
                QStringLiteral("The calculation report could not be written: %1.").arg(error));
  return ok;
}

void TMainForm::ShowAmplitudePlot() {
  TDlgAmpPlot dialog(plots_, *project_, this);
  // The compared projects at the same point.
  const std::vector<TComparedResponse> compared = comparisons_.Responses(*project_);
  if (!compared.empty()) dialog.SetComparisons(compared);
  dialog.exec();
}

// The project's name, followed by "*" while it has unsaved changes.
void TMainForm::UpdateCaption() {
  setWindowTitle(kCaptionPrefix + DisplayName() + (Modified() ? QStringLiteral("*") : QString()));
}

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
// Data commands

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
  project_->Quadratic = quadratic;
  CommitStep(quadratic == 1 ? QStringLiteral("Quadratic Harmonic Loads") : QStringLiteral("Non-Quadratic Harmonic Loads"));
  act_.harmonicQuadratic->setChecked(quadratic == 1);
  act_.harmonicNonQuadratic->setChecked(quadratic != 1);
  ShowChild(quadratic == 1 ? TChildId::Quadratic : TChildId::NonQuadratic);
}

// ---------------------------------------------------------------------------
// Project

bool TMainForm::Modified() const { return modified_ || !history_->IsClean() || tables_->Modified(); }

void TMainForm::SetModified(bool modified) {
  modified_ = modified;
  if (!modified) {
    history_->SetClean();
    tables_->ClearModified();
    autosave_->Discard();  // the file holds what it held
  }
  UpdateCaption();
}

// ---------------------------------------------------------------------------
// Undo history

void TMainForm::CommitStep(const QString& step) {
  history_->Commit(step);
  modified_ = false;
  tables_->ClearModified();
  UpdateCaption();
}

void TMainForm::Undo() {
  if (!DeactivateActiveChild()) return;
  history_->Flush();
  history_->Stack()->undo();
}

void TMainForm::Redo() {
  if (!DeactivateActiveChild()) return;
  history_->Flush();
  history_->Stack()->redo();
}

void TMainForm::StateApplied() {
  modified_ = false;
  tables_->ClearModified();
  // Windows of a load type no longer chosen close; the menus follow the
  // foundation type; every open window shows the values as they are now.
  UpdateLoadType(true);
  FoundationTypeChanged();
  TDataForm::FollowProject(*project_);
  for (const QPointer<QMdiSubWindow>& frame : children_)
    if (frame)
      if (auto* form = qobject_cast<TChildForm*>(frame->widget())) form->ActivateForm();
  emit ProjectEdited();
  UpdateCaption();
}

void TMainForm::CloseProjectWindows() {
  // The windows of the old project's values go; their values are not stored.
  for (int i = 0; i < kChildCount; ++i) CloseChild(static_cast<TChildId>(i));
  tables_->CloseWindows(TCloseReason::TableGone);
}

void TMainForm::ReplaceProject(std::unique_ptr<TProgramData> project) {
  project_ = std::move(project);
  importedFrom_.clear();
  modified_ = false;
  tables_->ClearModified();
  history_->Reset();
  autosave_->Discard();
  RememberDiskState();
  resultsAvailable_ = false;
  comparisons_.Clear();
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

namespace {
TMainForm::PileGroupHook& GroupHook() {
  static TMainForm::PileGroupHook hook;
  return hook;
}
}  // namespace

void TMainForm::SetPileGroupHook(PileGroupHook hook) { GroupHook() = std::move(hook); }

bool TMainForm::FileNewFromTemplate(TProjectTemplate kind) {
  if (!DeactivateActiveChild() || !AskToSave()) return false;
  TPileGroupTemplate group;
  if (kind == TProjectTemplate::PileGroup) {
    const int capacity = tables_->Pilecoord()->MaxRows() > 0 ? tables_->Pilecoord()->MaxRows() : 200;
    if (GroupHook()) {
      if (!GroupHook()(group)) return false;
    } else {
      TDlgPileGroupTemplate dialog(capacity, this);
      if (dialog.exec() != QDialog::Accepted || !dialog.Layout(group)) return false;
    }
  }
  CloseProjectWindows();
  ReplaceProject(TemplateProject(kind, *tables_, group));
  UpdateLoadType();
  FoundationTypeChanged();
  statusBar()->showMessage(QStringLiteral("A new project from the template \"%1\": save it under a name of its own.")
                               .arg(TemplateCaption(kind).remove(QStringLiteral("..."))),
                           6000);
  return true;
}

bool TMainForm::FileOpen() {
  if (!DeactivateActiveChild() || !AskToSave()) return false;
  const QString path = ChooseFile(false, QStringLiteral("Open"), project_->FileName);
  if (path.isEmpty()) return false;
  return OpenProject(path);
}

void TMainForm::OpenRecent(int index) {
  if (index < 0 || index >= RecentFiles().size()) return;
  if (!DeactivateActiveChild() || !AskToSave()) return;
  OpenProject(RecentFiles()[index]);
}

bool TMainForm::OpenProject(const QString& path, bool addToRecent) {
  const QString absolute = QFileInfo(path).absoluteFilePath();
  // Read into tables of their own: a file that does not load whole leaves the
  // open project, its tables, windows and folder as they were.
  TProjectTables loaded;
  TLoadResult result = OpenProjectFile(absolute, loaded);
  if (result.status != TLoadResult::kComplete) {
    Inform(result.message);
    return false;
  }
  CloseProjectWindows();
  QDir::setCurrent(QFileInfo(absolute).absolutePath());
  tables_->Restore(loaded.Snapshot());
  tables_->ClearModified();
  ReplaceProject(std::move(result.project));
  UpdateLoadType();
  ReadPlots();
  if (addToRecent) AddRecentFile(project_->FileName);
  if (result.imported) {
    // new to the program's layout: unsaved until written in it
    importedFrom_ = project_->FileName;
    history_->SetUnsaved();
    UpdateCaption();
    ShowMessage(TMessageKind::Information, QStringLiteral("TERVA"), ImportText(result.notes), MbOk);
  }
  return true;
}

QString TMainForm::ImportText(const QStringList& notes) const {
  QString text = QStringLiteral("%1 is an engine input in a layout of its own. It is opened as a project, read by "
                                "the engine's own reader; saving it writes the program's layout.")
                     .arg(QDir::toNativeSeparators(project_->FileName));
  if (notes.isEmpty()) return text + QStringLiteral("\n\nThe project holds everything the input gives.");
  text += QStringLiteral("\n\nNotes on the import:");
  for (const QString& note : notes) text += QStringLiteral("\n\u2022 ") + note;
  return text;
}

int TMainForm::AskSaveOverImport() {
  return ShowMessage(
      TMessageKind::Question, QStringLiteral("TERVA"),
      QStringLiteral("%1 is an engine input in a layout of its own. Saving over it writes the program's layout: "
                     "its comments and its layout are lost.\n\nOverwrite it, save the project under another "
                     "name, or cancel?")
          .arg(QDir::toNativeSeparators(importedFrom_)),
      MbOverwrite | MbSaveAs | MbCancel);
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
  if (!importedFrom_.isEmpty() && importedFrom_ == project_->FileName) {
    const int answer = AskSaveOverImport();
    if (answer == MbSaveAs) return FileSaveAs();
    if (answer != MbOverwrite) return false;
  }
  if (!CheckDiskState()) return false;
  try {
    SaveProject(*project_, *tables_);
  } catch (const TError& error) {
    ShowMessage(TMessageKind::Error, QStringLiteral("TERVA"), error.Message(), MbOk);
    return false;
  }
  importedFrom_.clear();
  SetModified(false);
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
  importedFrom_.clear();
  SetModified(false);
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
  project_->LoadType = type;
  static const QString kLoadNames[] = {QStringLiteral("Harmonic"), QStringLiteral("Transient"),
                                       QStringLiteral("Random")};
  CommitStep(QStringLiteral("Change Loading to %1").arg(kLoadNames[loadType - 1]));
  UpdateLoadType();
}

void TMainForm::SetUnits(int system) {
  if (system == project_->Units) return;
  if (!DeactivateActiveChild()) return;
  SetUnitSystem(*project_, *tables_, system);
  CommitStep(system == 1 ? QStringLiteral("Switch to English Units") : QStringLiteral("Switch to SI Units"));
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
  if (resultsAvailable_) comparisons_.Reapply(*project_);
}

// ---------------------------------------------------------------------------
// Comparing designs

bool TMainForm::AddComparison(const QString& path) {
  if (!comparisons_.Add(path, *project_)) return false;
  statusBar()->showMessage(QStringLiteral("Compared with %1").arg(comparisons_.Last().Name), 4000);
  return true;
}

void TMainForm::RemoveComparison(const QString& name) { comparisons_.Remove(name); }

QStringList TMainForm::ComparedNames() const { return comparisons_.Names(); }

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
  settings_.recent.Add(path);
  settings_.Write();
}

void TMainForm::Start(const QString& projectArgument) {
  settings_.Read();
  bool loaded = false;
  if (!projectArgument.isEmpty()) {
    QString path = projectArgument;
    if (!QFileInfo(path).fileName().contains(QLatin1Char('.'))) path += QStringLiteral(".tvd");
    // A file there that does not open is named in a message; a new project follows.
    if (QFileInfo(path).isFile()) loaded = OpenProject(path, false);
  }
  if (!loaded) {
    CloseProjectWindows();
    ReplaceProject(NewProject(*tables_));
  }
  UpdateLoadType(false);
  UpdateCaption();
  OfferRecovery();
}

QString TMainForm::RecoveryQuestion(const QString& project, const QDateTime& autosaved, const QDateTime& fileSaved) {
  const auto when = [](const QDateTime& time) {
    return time.isValid() ? time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) : QString();
  };
  const QString name =
      project.isEmpty() ? QStringLiteral("a new project, never saved") : QDir::toNativeSeparators(project);
  const QString saved = project.isEmpty()      ? QStringLiteral("none")
                        : fileSaved.isValid() ? when(fileSaved)
                                              : QStringLiteral("the file is not there");
  return QStringLiteral("TERVA did not end normally, and a project with changes that were not saved was "
                        "autosaved:\n\nProject: %1\nAutosaved: %2\nFile last saved: %3\n\nRecover the autosaved "
                        "project? Yes opens it with its changes (save it to keep them); No deletes the autosave; "
                        "Cancel keeps it for the next start.")
      .arg(name, when(autosaved), saved);
}

void TMainForm::OfferRecovery() {
  for (const TAutosave::TRecovery& recovery : TAutosave::Orphans()) {
    const int answer =
        ShowMessage(TMessageKind::Question, QStringLiteral("Recover Project"),
                    RecoveryQuestion(recovery.project, recovery.autosaved, recovery.fileSaved), MbYes | MbNo | MbCancel);
    if (answer == MbCancel) continue;
    if (answer == MbNo) {
      TAutosave::Remove(recovery);
      continue;
    }
    if (!DeactivateActiveChild() || !AskToSave()) continue;
    TProjectTables loaded;
    TLoadResult result = OpenProjectFile(recovery.path, loaded);
    if (result.status != TLoadResult::kComplete) {
      Inform(QStringLiteral("The autosaved project could not be read; it stays in %1.\n\n%2")
                 .arg(QDir::toNativeSeparators(recovery.path), result.message));
      continue;
    }
    CloseProjectWindows();
    tables_->Restore(loaded.Snapshot());
    tables_->ClearModified();
    std::unique_ptr<TProgramData> data = std::move(result.project);
    data->FileName = recovery.project.isEmpty() ? TProgramData::kNewFileName : recovery.project;
    if (!recovery.project.isEmpty()) QDir::setCurrent(QFileInfo(recovery.project).absolutePath());
    ReplaceProject(std::move(data));
    UpdateLoadType();
    if (!recovery.project.isEmpty()) ReadPlots();
    // Unsaved until the user saves it; the autosave goes once it is open.
    history_->SetUnsaved();
    UpdateCaption();
    // The recovered changes are this program's autosave before the old one goes.
    if (autosave_->SaveNow()) TAutosave::Remove(recovery);
    break;
  }
}

// ---------------------------------------------------------------------------
// Running the engine and outside programs

TDlgRunAnalysis* TMainForm::RunDialog() const { return run_->Dialog(); }
bool TMainForm::Running() const { return run_->Running(); }

void TMainForm::RunAnalysis() {
  if (Running() || TEngineRunner::Busy()) {
    Inform(TEngineRunner::kReinitialize);
    return;
  }
  if (!FileSave() || project_->IsUnnamed()) return;
  const std::optional<TRunResult> run = run_->Run(project_->FileName);
  if (!run) return;
  const TRunResult& result = *run;
  if (result.Delivered()) ReadPlots();  // plots only ever from a complete run
  if (reportViewer_ && !result.report.isEmpty()) reportViewer_->Open(result.report);
  ShowRunOutcome(result);
  emit RunFinished(result.code);
}

QString TMainForm::RunOutcomeText(const TRunResult& result) { return TRunController::OutcomeText(result); }

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
  const QFileInfo editor(settings_.editorPath);
  bool started = false;
  if (!settings_.editorPath.isEmpty() && editor.isFile() && editor.isExecutable())
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
  terva::gui::ShowHelpPage(this, slot, title, page, name);
}

// The help file or the manual beside the program; the manual of the
// resources without them.
void TMainForm::ShowHelpContents() {
  const QString file = QDir(ProgramFolder()).filePath(QStringLiteral("Terva3Help.chm"));
  if (!QFileInfo::exists(file) || !OpenDocument(file)) ShowManual();
}

void TMainForm::ShowManualDocument() {
  const QString file = QDir(ProgramFolder()).filePath(QStringLiteral("Terva v3 Manual.pdf"));
  if (!QFileInfo::exists(file) || !OpenDocument(file)) ShowManual();
}

void TMainForm::OpenUpdatePage() {
  if (!StartHook() ? !QDesktopServices::openUrl(QUrl(kUpdatePage)) : !StartHook()(kUpdatePage, {}))
    Inform(QStringLiteral("The release page could not be opened: %1").arg(kUpdatePage));
}

void TMainForm::ShowAbout() { ShowAboutBox(this, kVersion); }

// ---------------------------------------------------------------------------
// Window events

void TMainForm::closeEvent(QCloseEvent* event) {
  if (Running() || !DeactivateActiveChild() || !AskToSave()) {
    event->ignore();
    return;
  }
  settings_.Write();
  CloseProjectWindows();
  mdi_->closeAllSubWindows();
  event->accept();
}

void TMainForm::dragEnterEvent(QDragEnterEvent* event) {
  if (!Running() && event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TMainForm::dropEvent(QDropEvent* event) {
  const auto urls = event->mimeData()->urls();
  if (Running() || urls.isEmpty() || !urls.first().isLocalFile()) return;
  event->acceptProposedAction();
  if (!DeactivateActiveChild() || !AskToSave()) return;
  OpenProject(urls.first().toLocalFile(), false);
}

void TMainForm::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow() && !Running()) {
    UpdateLoadType(false);
    act_.dataPileCoordinates->setEnabled(false);  // the Data menu decides again when it opens
  }
}

}  // namespace terva::gui
