// The geometry file (".tvt") that the project writer writes beside the
// project file for the 3D viewer, read back: the footing or pile cap, the
// piles with their elements and batter, and the soil layering. Also the run
// file list ("names.dat") whose fifth line names the geometry file.
//
// The reader never throws: a damaged file gives no result and a message that
// says which line is wrong.
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

namespace terva::gui {

struct TGeometryFile {
  struct Pile {
    int number = 0;
    double x = 0.0, y = 0.0;
    int planeDegrees = 0;   // 0: batter in the XZ plane, 90: in the YZ plane
    double angle = 0.0;     // batter angle from the vertical, degrees
  };
  struct Element {
    double length = 0.0;    // along the pile
    double radiusX = 0.0, radiusY = 0.0;
  };

  bool circular = false;
  double length = 0.0;      // extent along X (the radius for a circular footing)
  double width = 0.0;       // extent along Y (the radius again when circular)
  double thickness = 0.0;
  double pileLength = 0.0;  // pile foundations only
  std::vector<Pile> piles;
  std::vector<Element> elements;
  QString foundation;       // "PILE", "HALF-SPACE", "STRATUM", "MULTILAYER"
  std::vector<double> layers;  // soil layer thicknesses from the ground surface down
  double soilDepth = 0.0;   // depth of the soil block below the layers
};

// Reads the geometry file's text; none, with `error` set, when it is damaged.
std::optional<TGeometryFile> ReadGeometryFile(const QByteArray& text, QString* error = nullptr);
// The same for a file; a missing or unreadable file gives its own message.
std::optional<TGeometryFile> ReadGeometryFilePath(const QString& path, QString* error = nullptr);

// The geometry file named by the fifth line of a run file list (trailing
// blanks dropped); empty, with `error` set, when the list has no fifth line.
QString GeometryFileOfRunList(const QByteArray& text, QString* error = nullptr);

}  // namespace terva::gui
