// Writes the desktop program's example projects (examples/projects/*.tvd)
// through the project model and its writer, as the program itself saves
// them: the engine's input followed by the program's trailer.
//
//   make_example_projects OUTPUT-FOLDER
#include <QCoreApplication>
#include <QDir>
#include <cstdio>
#include <initializer_list>

#include "gui/model/Table.hpp"
#include "gui/model/ProgramData.hpp"
#include "gui/model/ProjectTables.hpp"
#include "gui/files/ProjectWriter.hpp"

using namespace terva::gui;

namespace {

void SetRow(TGridTable* table, int row, std::initializer_list<long double> values) {
  if (table->RowCount() <= row) table->SetRowCount(row + 1);
  int column = 0;
  for (long double value : values) table->Column(column++)->SetReal(row, value);
}

void Save(TProgramData& data, TProjectTables& tables, const QString& path) {
  data.FileName = path;
  SaveProject(data, tables);
  std::printf("%s\n", qPrintable(path));
}

// A reciprocating compressor's block, 6 m by 4 m, embedded 1.2 m in two
// side layers, on a half-space; harmonic loads from 2 to 50 Hz.
void HalfSpace(TProjectTables& tables, const QString& path) {
  auto data = NewProject(tables);
  data->SetFoundation(TFoundationType::HalfSpace);
  data->Title = QStringLiteral("Compressor block on a half-space");
  data->Matrix = 1;
  data->Circular = 0;
  data->Length = 6;
  data->Width = 4;
  data->MassConstants = {120, 300, 500, 650, 0, 0, 0};
  data->Zc = 1;
  SetRow(tables.D1(), 0, {0.5L, 150, 18, 0.35L, 0.05L, 0});
  SetRow(tables.D1(), 1, {0.7L, 180, 18.5L, 0.35L, 0.05L, 0});
  data->Weak = false;
  data->BelowVs = 250;
  data->BelowUnitWeight = 19;
  data->BelowPoisson = 0.33L;
  data->BelowDamping = 0.05L;
  data->LoadType = TLoadType::Harmonic;
  data->Quadratic = 0;
  data->FreqMax = 50;
  data->FreqMin = 2;
  data->FreqStep = 2;
  data->HarmonicLoads = {10, 0, 50, 0, 20, 5};
  data->CgLocal = {0, 0, 1};
  Save(*data, tables, path);
}

// A cap on four concrete piles, 12 m long, with pile-soil-pile interaction;
// harmonic loads from 5 to 25 Hz.
void PileGroup(TProjectTables& tables, const QString& path) {
  auto data = NewProject(tables);
  data->SetFoundation(TFoundationType::Pile);
  data->Title = QStringLiteral("Turbine pedestal on four piles");
  data->Matrix = 1;
  data->MassConstants = {60, 80, 80, 150, 0, 0, 0};
  data->Zc = 0.8L;
  data->PileLength = 12;
  data->PileUnitWeight = 24;
  data->StaticLoad = 600;
  data->PilePoisson = 0.25L;
  data->PileDamping = 0.02L;
  data->ShearCoefficient = 1.2L;
  data->PileModulus = 3e7L;
  data->PileHeadFixed = 1;
  data->EndBearing = 0;
  data->Interaction = 1;
  data->Length = 4;
  data->Width = 4;
  for (int r = 0; r < 2; ++r)
    SetRow(tables.PileData(), r, {6, 0.2L, 0.2L, 0.12566371L, 0.0012566371L, 0.0012566371L, 0.0025132741L});
  SetRow(tables.Pilecoord(), 0, {-1, -1, 0});
  SetRow(tables.Pilecoord(), 1, {1, -1, 0});
  SetRow(tables.Pilecoord(), 2, {-1, 1, 0});
  SetRow(tables.Pilecoord(), 3, {1, 1, 0});
  SetRow(tables.D(), 0, {150, 18, 0.35L, 0.05L, 0});
  SetRow(tables.D(), 1, {180, 18.5L, 0.35L, 0.05L, 0});
  data->BelowVs = 600;
  data->BelowUnitWeight = 21;
  data->BelowPoisson = 0.3L;
  data->BelowDamping = 0.03L;
  data->LoadType = TLoadType::Harmonic;
  data->Quadratic = 0;
  data->FreqMax = 25;
  data->FreqMin = 1;
  data->FreqStep = 1;
  data->HarmonicLoads = {10, 0, 50, 0, 20, 5};
  data->CgLocal = {0, 0, 0.8L};
  Save(*data, tables, path);
}

// A cap 6 m by 4 m on six piles 15 m long: the four corner piles battered
// at 12 degrees, the two on the Y < 0 side outward in the XZ plane, the two
// on the Y > 0 side toward +Y in the YZ plane; the two middle ones vertical.
// Soil in three layers along the piles, a stiff layer below their tips.
void BatteredPileGroup(TProjectTables& tables, const QString& path) {
  auto data = NewProject(tables);
  data->SetFoundation(TFoundationType::Pile);
  data->Title = QStringLiteral("Compressor on a battered pile group");
  data->MassConstants = {180, 400, 600, 900, 0, 0, 0};
  data->Zc = 1.1L;
  data->PileLength = 15;
  data->PileUnitWeight = 24;
  data->StaticLoad = 500;
  data->PilePoisson = 0.25L;
  data->PileDamping = 0.02L;
  data->ShearCoefficient = 1.2L;
  data->PileModulus = 3e7L;
  data->Interaction = 1;
  data->Length = 6;
  data->Width = 4;
  for (int r = 0; r < 3; ++r)
    SetRow(tables.PileData(), r, {5, 0.25L, 0.25L, 0.19634954L, 0.0030679616L, 0.0030679616L, 0.0061359232L});
  SetRow(tables.Pilecoord(), 0, {-2.2L, -1.4L, -12});
  SetRow(tables.Pilecoord(), 1, {0, -1.4L, 0});
  SetRow(tables.Pilecoord(), 2, {2.2L, -1.4L, 12});
  SetRow(tables.Pilecoord(), 3, {-2.2L, 1.4L, 12});
  SetRow(tables.Pilecoord(), 4, {0, 1.4L, 0});
  SetRow(tables.Pilecoord(), 5, {2.2L, 1.4L, 12});
  // Plane 1 batters toward +X for a positive angle, plane 2 toward +Y.
  tables.Pilecoord()->Column(3)->SetInteger(0, 1);
  tables.Pilecoord()->Column(3)->SetInteger(2, 1);
  tables.Pilecoord()->Column(3)->SetInteger(3, 2);
  tables.Pilecoord()->Column(3)->SetInteger(5, 2);
  SetRow(tables.D(), 0, {140, 17.5L, 0.35L, 0.05L, 0});
  SetRow(tables.D(), 1, {190, 18.5L, 0.35L, 0.05L, 0});
  SetRow(tables.D(), 2, {260, 19.5L, 0.33L, 0.04L, 0});
  SetRow(tables.pilecapsoil(), 0, {1.2L, 120, 17, 0.35L, 0.05L, 0});
  data->BelowVs = 450;
  data->BelowUnitWeight = 20.5L;
  data->BelowPoisson = 0.3L;
  data->BelowDamping = 0.03L;
  data->LoadType = TLoadType::Harmonic;
  data->FreqMax = 25;
  data->FreqMin = 1;
  data->FreqStep = 1;
  data->HarmonicLoads = {20, 0, 60, 0, 30, 5};
  data->CgLocal = {0, 0, 1.1L};
  Save(*data, tables, path);
}

}  // namespace

int main(int argc, char* argv[]) {
  QCoreApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: make_example_projects OUTPUT-FOLDER\n");
    return 2;
  }
  const QDir folder(QString::fromLocal8Bit(argv[1]));
  TProjectTables tables;
  try {
    HalfSpace(tables, folder.absoluteFilePath(QStringLiteral("compressor-half-space.tvd")));
    PileGroup(tables, folder.absoluteFilePath(QStringLiteral("pile-group-4.tvd")));
    BatteredPileGroup(tables, folder.absoluteFilePath(QStringLiteral("pile-group-battered.tvd")));
  } catch (const TError& error) {
    std::fprintf(stderr, "make_example_projects: %s\n", qPrintable(error.Message()));
    return 1;
  }
  return 0;
}
