// The main window's menu commands, one member each, made in
// TMainForm::CreateActions. Each action's object name is the command's
// name (FileNew, RunAnalysis, …): the tests and the screenshot tool find the
// commands by it.
#pragma once

#include <array>

class QAction;
class QActionGroup;

namespace terva::gui {

struct TMainActions {
  static constexpr int kRecentCount = 10;
  static constexpr int kWindowListSize = 50;

  // File
  QAction* fileNew = nullptr;
  QAction* fileNewHalfSpace = nullptr;  // New from Template
  QAction* fileNewStratum = nullptr;
  QAction* fileNewPileGroup = nullptr;
  QAction* fileOpen = nullptr;
  QAction* fileSave = nullptr;
  QAction* fileSaveAs = nullptr;
  QAction* fileExportResults = nullptr;
  QAction* fileCalcReport = nullptr;
  QAction* fileAddComparison = nullptr;
  QAction* fileRemoveComparisons = nullptr;
  QAction* fileExit = nullptr;
  std::array<QAction*, kRecentCount> fileRecent{};  // FileRecent1..10
  QAction* recentSeparator = nullptr;

  // Edit
  QAction* editUndo = nullptr;
  QAction* editRedo = nullptr;
  QAction* editCut = nullptr;
  QAction* editCopy = nullptr;
  QAction* editPaste = nullptr;
  QActionGroup* autosave = nullptr;  // the autosave intervals, EditAutosave0 (off), 1, 2, 5, 10, 15

  // Data
  QAction* dataTitle = nullptr;
  QActionGroup* units = nullptr;
  QAction* unitsEnglish = nullptr;
  QAction* unitsSI = nullptr;
  QAction* dataFoundationOptions = nullptr;
  QActionGroup* loads = nullptr;
  std::array<QAction*, 3> load{};  // harmonic, transient, random: the load type less 1
  QAction* dataFoundationShape = nullptr;
  QAction* dataPileCapShape = nullptr;
  QAction* dataMass = nullptr;
  QAction* dataFoundationDimension = nullptr;
  QAction* dataFoundationLayer = nullptr;
  QAction* dataPileCapMass = nullptr;
  QAction* dataPileCoordinates = nullptr;
  QAction* dataPileProperties = nullptr;
  QAction* dataPileElements = nullptr;
  QAction* dataSoilLayer = nullptr;
  QAction* dataSoilBelow = nullptr;
  QAction* dataSideSoil = nullptr;
  QAction* dataSoilColumn = nullptr;
  QAction* harmonicQuadratic = nullptr;
  QAction* harmonicNonQuadratic = nullptr;
  QAction* dataTransient = nullptr;
  QAction* dataRandom = nullptr;
  QAction* dataOptions = nullptr;

  // Computation
  QAction* runAnalysis = nullptr;
  QAction* editInput = nullptr;
  QAction* editNotes = nullptr;
  QAction* editOutput = nullptr;
  QAction* viewReport = nullptr;
  QAction* viewFailedReport = nullptr;
  QAction* springsDashpots = nullptr;

  // View Geometry
  QAction* viewTop = nullptr;
  QAction* viewSideXZ = nullptr;
  QAction* viewSideYZ = nullptr;
  QAction* view3D = nullptr;

  // Graphics
  QAction* graphicsTranslationalStiffness = nullptr;
  QAction* graphicsRotationalStiffness = nullptr;
  QAction* graphicsTranslationalDamping = nullptr;
  QAction* graphicsRotationalDamping = nullptr;
  QAction* graphicsDisplacement = nullptr;
  QAction* graphicsRotation = nullptr;
  QAction* graphicsAmplitude = nullptr;

  // Window
  QAction* windowCascade = nullptr;
  QAction* windowArrange = nullptr;
  std::array<QAction*, kWindowListSize> windowList{};  // Window1..50
  QAction* windowSeparator = nullptr;

  // Help
  QAction* helpContents = nullptr;
  QAction* helpManual = nullptr;
  QAction* helpValidation = nullptr;
  QAction* helpAbout = nullptr;
  QAction* helpUpdates = nullptr;
};

}  // namespace terva::gui
