// The main window's children: the windows it makes on demand (the data
// windows, the geometry views, the plot windows), each in a frame of the
// multi-document area, and the hand-over of the active child, which stores
// its values as it loses the focus.
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStatusBar>

#include "gui/app/Main.hpp"
#include "gui/app/Options.hpp"
#include "gui/app/Title.hpp"
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
#include "gui/model/ProgramData.hpp"
#include "gui/model/ProjectTables.hpp"
#include "gui/plots/PlotForm.hpp"
#include "gui/views/GeometryView.hpp"
#include "gui/widgets/ChildForm.hpp"
#include "gui/widgets/TableForm.hpp"

namespace terva::gui {

namespace {

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

void TMainForm::RegisterChildWindows() {
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
}

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
  if (auto* form = qobject_cast<TChildForm*>(widget)) {
    connect(form, &TChildForm::Modified, this, [this] {
      SetModified();
      emit ProjectEdited();
    });
    connect(form, &TChildForm::Edited, this, [this](const QString& step) {
      CommitStep(step);
      emit ProjectEdited();
    });
  }
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
  if (auto* form = qobject_cast<TChildForm*>(window->widget())) {
    if (!form->DeactivateForm()) return false;
    // what the window stores only when it is left (the title) is a step too
    CommitStep(QStringLiteral("Edit ") + form->windowTitle());
    return true;
  }
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
    if (form) CommitStep(QStringLiteral("Edit ") + form->windowTitle());
  }
  active_ = window;
  if (window)
    if (auto* form = qobject_cast<TChildForm*>(window->widget())) form->ActivateForm();
}

}  // namespace terva::gui
