// Takes the desktop program's screenshots for the manual and the README: the
// main window with an example open and a table window, its Data menu open,
// the completion message of a run, the About box, and four data windows
// (Foundation Options, Foundation Shape, Mass Data after a calculation, Pile
// Properties), the result plots of the run (the four constant plots, the two
// response plots, a zoomed plot) and the amplitude plot (also from the graphic
// data file alone, without phases); the geometry views of a
// battered pile group and of a half-space footing, and the 3D viewer on the pile
// group; the vibration-limit lines on the displacement plot and the
// amplitude plot, the springs and dashpots dialog, the export's choice and
// the run dialog with an engine's progress, a run with input errors and its
// report in the report viewer. Meant to run on an X
// display (Xvfb with a window manager, see scripts/screenshots.sh); each
// picture is the screen area of the main window.
//
//   app_screenshots OUTPUT-FOLDER PROJECT.tvd
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QDateTime>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTableWidget>
#include <QLineEdit>
#include <QMessageBox>
#include <QFile>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <functional>

#include <QMdiArea>
#include <QMdiSubWindow>

#include "gui/app/CalcReportDialog.hpp"
#include "gui/app/Main.hpp"
#include "gui/app/ResultsDialogs.hpp"
#include "gui/app/RunAnalysis.hpp"
#include "gui/core/EngineRunner.hpp"
#include "gui/core/Messages.hpp"
#include "gui/views/ReportViewer.hpp"
#include "gui/forms/Massdata.hpp"
#include "gui/model/ProgramData.hpp"
#include "gui/model/ProjectTables.hpp"
#include "gui/views/Viewer3D.hpp"
#include "gui/model/PltData.hpp"
#include "gui/plots/AmpPlot.hpp"
#include "gui/plots/PlotForm.hpp"
#include "gui/plots/VelocityLimits.hpp"
#include "gui/plots/VelocityLines.hpp"
#include "gui/widgets/AppIcon.hpp"
#include "gui/widgets/InputHelperDialogs.hpp"
#include "gui/widgets/DataEdit.hpp"
#include "gui/widgets/MessageBoxSink.hpp"
#include "gui/app/TemplateDialog.hpp"
#include "gui/forms/DataForm.hpp"

using namespace terva::gui;

namespace {

QString folder;

void Settle(int ms = 400) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

// The screen area of `window` with its frame, saved as NAME.png.
void Shoot(QWidget* window, const QString& name) {
  QApplication::processEvents();
  const QRect area = window->frameGeometry();
  const QPixmap shot =
      QGuiApplication::primaryScreen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
  const QString path = QDir(folder).filePath(name + QStringLiteral(".png"));
  std::printf("%s: %s\n", qPrintable(path), shot.save(path) ? "saved" : "NOT saved");
}

// Runs `open` (which shows a modal box) and shoots `window` once the box is up.
void ShootModal(QWidget* window, const QString& name, const std::function<void()>& open) {
  QTimer::singleShot(700, [window, name] {
    Shoot(window, name);
    if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
  });
  open();
}

// A child window of the main window, with its frame, saved as NAME.png.
void ShootChild(TMainForm& main, TChildId id, const QString& name,
                const std::function<void(QWidget*)>& prepare = {}) {
  QWidget* form = main.ShowChild(id);
  auto* frame = form ? qobject_cast<QMdiSubWindow*>(form->parentWidget()) : nullptr;
  if (!frame) {
    std::printf("%s: no window\n", qPrintable(name));
    return;
  }
  frame->move(16, 16);
  frame->adjustSize();
  if (prepare) prepare(form);
  Settle();
  QApplication::processEvents();
  const QRect area(frame->mapToGlobal(QPoint(0, 0)), frame->size());
  const QPixmap shot =
      QGuiApplication::primaryScreen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
  const QString path = QDir(folder).filePath(name + QStringLiteral(".png"));
  std::printf("%s: %s\n", qPrintable(path), shot.save(path) ? "saved" : "NOT saved");
  main.DeactivateActiveChild();
  main.CloseChild(id);
}

// A geometry view of the project at `path`, in a frame of a fixed size.
void ShootView(TMainForm& main, const QString& path, TChildId id, const QString& name) {
  main.SetModified(false);
  for (TGridTable* table : main.Tables().All()) table->SetModified(false);
  if (!main.OpenProject(path, false)) {
    std::printf("%s: cannot open %s\n", qPrintable(name), qPrintable(path));
    return;
  }
  main.MdiArea()->closeAllSubWindows();
  QWidget* view = main.ShowChild(id);
  auto* frame = view ? qobject_cast<QMdiSubWindow*>(view->parentWidget()) : nullptr;
  if (!frame) {
    std::printf("%s: no window\n", qPrintable(name));
    return;
  }
  frame->setGeometry(10, 10, 900, 600);
  Settle();
  const QRect area(frame->mapToGlobal(QPoint(0, 0)), frame->size());
  const QPixmap shot =
      QGuiApplication::primaryScreen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
  const QString file = QDir(folder).filePath(name + QStringLiteral(".png"));
  std::printf("%s: %s\n", qPrintable(file), shot.save(file) ? "saved" : "NOT saved");
  main.CloseChild(id);
}

// The amplitude plot at a corner of the example's 4 m by 4 m pile cap, on
// its base (the dialog's origin is the centre of the base).
void CapCorner(TDlgAmpPlot& dialog) {
  dialog.XEdit()->setNumber(2);
  dialog.YEdit()->setNumber(2);
  dialog.ZEdit()->setNumber(0);
  dialog.Draw();
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("TERVA"));
  QApplication::setOrganizationName(QStringLiteral("Halvit"));
  if (argc < 3) {
    std::fprintf(stderr, "usage: app_screenshots OUTPUT-FOLDER PROJECT.tvd\n");
    return 2;
  }
  folder = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
  QApplication::setWindowIcon(AppIcon());
  InstallMessageBoxSink();

  TMainForm main;
  main.Start(QString::fromLocal8Bit(argv[2]));
  main.resize(1180, 720);
  main.move(40, 30);
  main.show();
  Settle(800);

  main.Action(QStringLiteral("DataTitle"))->trigger();
  main.Tables().D()->Show();
  Settle();
  Shoot(&main, QStringLiteral("main-window"));

  QMenu* data = main.menuBar()->findChildren<QMenu*>().value(1);
  for (QAction* action : main.menuBar()->actions())
    if (action->text() == QStringLiteral("&Data")) data = action->menu();
  main.menuBar()->setActiveAction(data->menuAction());
  Settle();
  Shoot(&main, QStringLiteral("data-menu"));
  data->close();
  main.menuBar()->setActiveAction(nullptr);
  Settle();

  // The Edit menu after a field was changed: its Undo names the step.
  {
    auto* below = qobject_cast<TDataForm*>(main.ShowChild(TChildId::SoilBelow));
    TDataEdit* velocity = below ? below->Field(QStringLiteral("BelowVs")) : nullptr;
    if (velocity) {
      velocity->setFocus();
      velocity->setText(QStringLiteral("260"));
      QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
      QApplication::sendEvent(velocity, &enter);
    }
    QMenu* edit = nullptr;
    for (QAction* action : main.menuBar()->actions())
      if (action->text() == QStringLiteral("&Edit")) edit = action->menu();
    if (edit) {
      main.menuBar()->setActiveAction(edit->menuAction());
      Settle();
      Shoot(&main, QStringLiteral("edit-menu"));
      edit->close();
      main.menuBar()->setActiveAction(nullptr);
      Settle();
    }
    main.Undo();
    main.CloseChild(TChildId::SoilBelow);
  }
  // The question at a start after an abnormal end, and the pile group
  // template's dialog.
  {
    QTimer::singleShot(700, [] {
      if (QWidget* modal = QApplication::activeModalWidget()) {
        Shoot(modal, QStringLiteral("recovery-question"));
        modal->close();
      }
    });
    const QDateTime saved(QDate(2026, 12, 8), QTime(16, 42, 5));
    ShowMessage(TMessageKind::Question, QStringLiteral("Recover Project"),
                TMainForm::RecoveryQuestion(QStringLiteral("/home/engineer/projects/pile-group-4.tvd"), saved.addSecs(3 * 3600 + 18 * 60), saved),
                MbYes | MbNo | MbCancel);
    TDlgPileGroupTemplate group(200, &main);
    group.move(60, 40);
    group.show();
    Settle(700);
    Shoot(&group, QStringLiteral("new-pile-group"));
    group.close();
  }

  main.ShowChild(TChildId::ControlOptions);
  Settle();
  Shoot(&main, QStringLiteral("control-options"));
  main.CloseChild(TChildId::ControlOptions);

  main.RunDialog()->Start({}, [] {});  // a run that can be cancelled, as every run of the engine host
  Settle();
  Shoot(&main, QStringLiteral("run-dialog"));
  main.RunDialog()->Finish();
  // The same dialog with an engine that reports its progress (23 of 64
  // frequencies done, as a long run shows it).
  main.RunDialog()->Start(
      [](int* done, int* total) {
        *done = 23;
        *total = 64;
        return true;
      },
      [] {});
  Settle();
  Shoot(&main, QStringLiteral("run-dialog-progress"));
  main.RunDialog()->Finish();

  main.ShowManual();
  Settle(800);
  for (QWidget* window : QApplication::topLevelWidgets())
    if (window->isVisible() && window->windowTitle() == QStringLiteral("TERVA User's Manual")) {
      window->move(120, 60);
      Settle();
      Shoot(window, QStringLiteral("manual-window"));
      window->close();
    }
  Settle();

  QMenu* help = nullptr;
  for (QAction* action : main.menuBar()->actions())
    if (action->text() == QStringLiteral("&Help")) help = action->menu();
  if (help) {
    main.menuBar()->setActiveAction(help->menuAction());
    Settle();
    Shoot(&main, QStringLiteral("help-menu"));
    help->close();
    main.menuBar()->setActiveAction(nullptr);
    Settle();
  }
  main.ShowValidation();
  Settle(800);
  for (QWidget* window : QApplication::topLevelWidgets())
    if (window->isVisible() && window->windowTitle() == QStringLiteral("TERVA Validation")) {
      window->move(120, 60);
      Settle();
      Shoot(window, QStringLiteral("validation-window"));
      window->close();
    }
  Settle();

  ShootModal(&main, QStringLiteral("run-completed"), [&] { main.RunAnalysis(); });
  Settle();
  ShootModal(&main, QStringLiteral("about"), [&] { main.ShowAbout(); });
  Settle();

  // The data windows, one at a time, over an empty frame.
  main.MdiArea()->closeAllSubWindows();
  Settle();
  ShootChild(main, TChildId::FoundationOptions, QStringLiteral("window-foundation-options"));
  ShootChild(main, TChildId::FoundationShape, QStringLiteral("window-foundation-shape"));
  {
    // Two blocks: a pedestal and the machine on it.
    TGridTable* blocks = main.Tables().MassCal();
    blocks->SetRowCount(2);
    const long double rows[2][7] = {{120, 0, 0, 0.75, 6, 4, 1.5}, {18, 0.4, 0, 2.1, 2.5, 1.2, 1.2}};
    for (int row = 0; row < 2; ++row)
      for (int column = 0; column < 7; ++column) blocks->Cell(column, row).SetReal(rows[row][column]);
    auto* mass = qobject_cast<TMassForm*>(main.ShowChild(TChildId::MassData));
    if (mass) mass->Calculate();
    ShootChild(main, TChildId::MassData, QStringLiteral("window-mass-data"));
  }
  ShootChild(main, TChildId::PileProperties, QStringLiteral("window-pile-properties"));
  {
    // A half-space: the depths its file does not hold, disabled with their hints.
    const TFoundationType type = main.Project().FoundationCode;
    main.Project().SetFoundation(TFoundationType::HalfSpace);
    ShootChild(main, TChildId::FoundationData, QStringLiteral("window-foundation-data"));
    main.Project().SetFoundation(type);
  }

  // The result plots of the run above.
  const std::pair<TChildId, const char*> plots[] = {
      {TChildId::PlotTranslationalStiffness, "plot-translational-stiffness"},
      {TChildId::PlotRotationalStiffness, "plot-rotational-stiffness"},
      {TChildId::PlotTranslationalDamping, "plot-translational-damping"},
      {TChildId::PlotRotationalDamping, "plot-rotational-damping"},
      {TChildId::PlotDisplacement, "plot-response-displacement"},
      {TChildId::PlotRotation, "plot-response-rotation"}};
  for (const auto& [id, name] : plots) ShootChild(main, id, QString::fromLatin1(name));
  {
    // Two designs on one plot: the battered group's results beside the
    // four-pile group's.
    QTemporaryDir other;
    const QString battered = other.filePath(QStringLiteral("pile-group-battered.tvd"));
    if (QFile::copy(QStringLiteral(TERVA_EXAMPLES_DIR "/projects/pile-group-battered.tvd"), battered)) {
      QFile(battered).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
      SetMessageSink([](const TMessage&) { return int(MbOk); });
      {
        TMainForm run;
        run.Start(battered);
        run.RunAnalysis();
        run.SetModified(false);
      }
      InstallMessageBoxSink();
      if (main.AddComparison(battered)) {
        ShootChild(main, TChildId::PlotTranslationalStiffness, QStringLiteral("plot-compare"));
        main.RemoveComparison();
      }
    }
  }
  ShootChild(main, TChildId::PlotDisplacement, QStringLiteral("plot-response-velocity-lines"), [](QWidget* widget) {
    auto* form = qobject_cast<TPlotForm*>(widget);
    if (!form) return;
    form->SetVelocityLinesShown(true);
    // Zoomed to the amplitudes above the first few hertz, as a drag would.
    const TView full = form->FullRange();
    form->SetView(ZoomIn(full, full, QRectF(QPointF(full.X.Min + full.X.Length() * 0.15, full.Y.Min),
                                            QPointF(full.X.Max, full.Y.Min + full.Y.Length() * 0.1))));
  });
  {
    TDlgVelocityLimits limits(2, DefaultVelocityLimits(2), &main);
    limits.move(120, 120);
    limits.show();
    Settle();
    Shoot(&limits, QStringLiteral("velocity-limits"));
  }
  ShootChild(main, TChildId::PlotTranslationalStiffness, QStringLiteral("plot-zoomed"), [](QWidget* widget) {
    auto* form = qobject_cast<TPlotForm*>(widget);
    if (!form) return;
    // The lower frequencies around the last curve, as a drag over the plot would.
    const TView full = form->FullRange();
    const double x1 = full.X.Min + full.X.Length() * 0.4;
    const TLine& last = form->Plot().Line(form->Plot().LineCount() - 1);
    double lo = full.Y.Max, hi = full.Y.Min;
    for (const TFloatPoint& p : last.Points)
      if (p.X <= x1) lo = std::min(lo, double(p.Y)), hi = std::max(hi, double(p.Y));
    const double pad = (hi - lo) * 0.5 + full.Y.Length() / 100;
    form->SetView(ZoomIn(full, full, QRectF(QPointF(full.X.Min, lo - pad), QPointF(x1, hi + pad))));
  });
  QTimer::singleShot(900, [] {
    if (QWidget* modal = QApplication::activeModalWidget()) {
      modal->move(60, 40);
      if (auto* amplitude = qobject_cast<TDlgAmpPlot*>(modal)) CapCorner(*amplitude);
      Settle();
      Shoot(modal, QStringLiteral("amplitude-plot"));
      if (auto* amplitude = qobject_cast<TDlgAmpPlot*>(modal)) {
        amplitude->SetVelocityLinesShown(true);
        amplitude->Check(0)->setChecked(false);  // the horizontal resonance at 1 Hz dwarfs the rest
        Settle();
        Shoot(modal, QStringLiteral("amplitude-plot-velocity-lines"));
      }
      modal->close();
    }
  });
  main.ShowAmplitudePlot();
  Settle();
  {
    // The same results from the graphic data file alone (no phases): the
    // amplitude plot's upper bound.
    QTemporaryDir alone;
    const QString tvp = alone.filePath(QStringLiteral("results.tvp"));
    TResultPlots moduli;
    if (QFile::copy(main.Project().FileName.left(main.Project().FileName.lastIndexOf('.')) + QStringLiteral(".tvp"),
                    tvp) &&
        moduli.ReadResultCurves(tvp, false, main.Project().Matrix == 1, static_cast<int>(main.Project().LoadType),
                                main.Project().Units)) {
      TDlgAmpPlot bound(moduli, main.Project(), &main);
      CapCorner(bound);
      bound.move(60, 40);
      bound.show();
      Settle(900);
      Shoot(&bound, QStringLiteral("amplitude-plot-upper-bound"));
      bound.close();
    }
  }
  // The springs and dashpots at 1200 rpm, and the export's choice.
  QTimer::singleShot(900, [] {
    if (auto* springs = qobject_cast<TDlgSpringsDashpots*>(QApplication::activeModalWidget())) {
      springs->move(60, 40);
      springs->FrequencyField()->setText(QStringLiteral("1200"));
      Settle();
      Shoot(springs, QStringLiteral("springs-dashpots"));
      springs->close();
    }
  });
  main.ShowSpringsDashpots();
  Settle();
  {
    TDlgExportResults choice(main.Project().FileName, &main);
    choice.move(120, 120);
    choice.show();
    Settle(900);
    Shoot(&choice, QStringLiteral("export-results"));
  }
  // The calculation report's dialog, and the reports of the pile group (at
  // 1260 rpm, a bearing above the centre of gravity) and of the compressor
  // block (at 600 rpm) as PDFs beside the pictures: scripts/screenshots.sh
  // turns their pages into pictures and removes them.
  // The input helpers of the pile tables: a 0.6 m pile, a 3 x 3 group at 1.8 m.
  {
    TDlgPileSection section(2, 2, 0, &main);
    section.Field(QStringLiteral("Diameter"))->setText(QStringLiteral("0.6"));
    section.move(60, 40);
    section.show();
    Settle(700);
    Shoot(&section, QStringLiteral("helper-pile-section"));
    section.close();
    TDlgGenerateGrid grid(2, 200, &main);
    grid.SpacingXField()->setText(QStringLiteral("1.8"));
    grid.SpacingYField()->setText(QStringLiteral("1.8"));
    grid.move(60, 40);
    grid.show();
    Settle(700);
    Shoot(&grid, QStringLiteral("helper-generate-grid"));
    grid.close();
    TDlgUnitWeight weight(2, 3, 0, &main);
    weight.DensityField()->setText(QStringLiteral("1.8"));
    weight.move(60, 40);
    weight.show();
    Settle(700);
    Shoot(&weight, QStringLiteral("helper-unit-weight"));
    weight.close();
  }
  // The report of an example, on a fresh copy analysed here.
  const auto reportOf = [&main](const QString& example, const TCalcReportRequest& request, const QString& name) {
    QTemporaryDir fresh;
    const QString copy = fresh.filePath(example);
    if (!QFile::copy(QStringLiteral(TERVA_EXAMPLES_DIR "/projects/") + example, copy)) return;
    QFile(copy).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    main.SetModified(false);
    for (TGridTable* table : main.Tables().All()) table->SetModified(false);
    const TMessageSink previous = SetMessageSink([](const TMessage&) { return MbOk; });
    main.OpenProject(copy, false);
    main.RunAnalysis();
    SetMessageSink(previous);
    main.WriteCalcReportTo(request, QDir(folder).filePath(name));
  };
  {
    TDlgCalcReport dialog(main.Project().Units, QStringLiteral("Computed from 1 to 25 Hz (60 to 1500 rpm)."), &main);
    dialog.FrequencyField()->setText(QStringLiteral("1260 rpm"));
    dialog.AmplitudeField()->setText(QStringLiteral("0.0001"));
    dialog.PointsTable()->setRowCount(0);
    dialog.AddPointButton()->click();
    dialog.FrequencyField()->setFocus();  // the new row's editor closes
    dialog.PointsTable()->item(0, 0)->setText(QStringLiteral("Bearing"));
    dialog.PointsTable()->item(0, 3)->setText(QStringLiteral("1.2"));
    dialog.move(60, 40);
    dialog.show();
    Settle(900);
    Shoot(&dialog, QStringLiteral("calc-report-dialog"));
    TCalcReportRequest request;
    const bool read = dialog.Request(request);
    dialog.close();
    if (read) {
      dialog.Store();
      reportOf(QStringLiteral("pile-group-4.tvd"), request, QStringLiteral("report-pile-group-4.pdf"));
    }
    TCalcReportRequest compressor;
    compressor.operating = {600.0 / 60.0 * 6.28};
    compressor.criteria = DefaultReportCriteria(2);
    compressor.criteria.points.clear();
    reportOf(QStringLiteral("compressor-half-space.tvd"), compressor, QStringLiteral("report-compressor.pdf"));
  }
  // The geometry views on copies of two example projects (a save writes them).
  QTemporaryDir examples;
  const QString group = examples.filePath(QStringLiteral("pile-group-battered.tvd"));
  const QString halfSpace = examples.filePath(QStringLiteral("compressor-half-space.tvd"));
  if (QFile::copy(QStringLiteral(TERVA_EXAMPLES_DIR "/projects/pile-group-battered.tvd"), group) &&
      QFile::copy(QStringLiteral(TERVA_EXAMPLES_DIR "/projects/compressor-half-space.tvd"), halfSpace)) {
    for (const QString& copy : {group, halfSpace}) QFile(copy).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    ShootView(main, group, TChildId::TopView, QStringLiteral("geometry-top-pile-group"));
    ShootView(main, group, TChildId::SideViewXZ, QStringLiteral("geometry-side-xz-pile-group"));
    ShootView(main, halfSpace, TChildId::TopView, QStringLiteral("geometry-top-half-space"));
    ShootView(main, halfSpace, TChildId::SideViewXZ, QStringLiteral("geometry-side-xz-half-space"));
    // The 3D viewer on the pile group's geometry file, written by a save.
    main.OpenProject(group, false);
    main.FileSave();
    TViewerWindow viewer;
    viewer.resize(900, 640);
    viewer.move(60, 40);
    viewer.show();
    viewer.LoadGeometryFile(main.Project().GeometryFileName);
    Settle(800);
    Shoot(&viewer, QStringLiteral("viewer-3d-pile-group"));
    viewer.close();
  }
  // A run the engine refuses (an empty project saved over a copy of the
  // example): its outcome, and its report in the viewer at the first error.
  {
    QTemporaryDir failing;
    const QString project = failing.filePath(QStringLiteral("compressor.tvd"));
    if (QFile::copy(QStringLiteral(TERVA_EXAMPLES_DIR "/projects/compressor-half-space.tvd"), project)) {
      QFile(project).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
      main.SetModified(false);
      for (TGridTable* table : main.Tables().All()) table->SetModified(false);
      main.OpenProject(project, false);
      SetMessageSink([](const TMessage&) { return int(MbOk); });  // a complete run first: its results are kept
      main.RunAnalysis();
      InstallMessageBoxSink();
      main.SetModified(false);
      for (TGridTable* table : main.Tables().All()) table->SetModified(false);
      main.FileNew();
      TMainForm::SetFileDialogHook([project](bool, const QString&, const QString&) { return project; });
      ShootModal(&main, QStringLiteral("run-failed"), [&] { main.RunAnalysis(); });
      TMainForm::SetFileDialogHook({});
      main.ShowReport(WithExtension(project, QStringLiteral(".failed.tvo")));
      if (TReportViewer* viewer = main.ReportViewer()) {
        viewer->resize(1060, 640);
        viewer->move(60, 40);
        viewer->NextError();
        Settle(600);
        Shoot(viewer, QStringLiteral("report-viewer"));
        viewer->close();
      }
    }
  }
  // An engine input in a layout of its own: the message after its import,
  // and the question before the first save over it (cancelled).
  {
    QTemporaryDir imports;
    const QString input = imports.filePath(QStringLiteral("pile-cap-embedded.tvd"));
    if (QFile::copy(QStringLiteral(TERVA_EXAMPLES_DIR "/pile-cap-embedded.tvd"), input)) {
      QFile(input).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
      main.SetModified(false);
      for (TGridTable* table : main.Tables().All()) table->SetModified(false);
      ShootModal(&main, QStringLiteral("import-notes"), [&] { main.OpenProject(input, false); });
      ShootModal(&main, QStringLiteral("import-save"), [&] { main.FileSave(); });
    }
  }
  main.SetModified(false);
  for (TGridTable* table : main.Tables().All()) table->SetModified(false);
  return 0;
}
