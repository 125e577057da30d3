// terva: the desktop program.
#include "gui/widgets/MessageBoxSink.hpp"
#include "gui/widgets/TableWindows.hpp"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("TERVA");
  QApplication::setOrganizationName("Halvit");
  terva::gui::InstallMessageBoxSink();
  terva::gui::InstallTableWindows();
  QMainWindow window;
  window.setWindowTitle("TERVA");
  window.setCentralWidget(new QLabel(QObject::tr("TERVA - soil-foundation dynamics"), &window));
  window.resize(900, 600);
  window.show();
  return QApplication::exec();
}
