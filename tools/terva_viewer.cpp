// Terva3-viewer: the 3D view of a project's foundation. TERVA's "3D View"
// writes "names.dat" into this program's folder (or, when that folder is
// read-only, into the user's data folder) and starts it there; the fifth
// line of that list names the geometry file to show.
#include "gui/views/Viewer3D.hpp"

#include <QApplication>
#include <QDir>

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Terva3-viewer"));
  terva::gui::TViewerWindow window;
  const QStringList args = QApplication::arguments();
  // A geometry file given on the command line is shown directly.
  if (args.size() > 1) window.LoadGeometryFile(args[1]);
  else window.Load(QDir::currentPath());
  window.resize(800, 640);
  window.show();
  return QApplication::exec();
}
