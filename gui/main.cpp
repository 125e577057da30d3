// terva: the desktop program.
//
//   terva [PROJECT]      opens PROJECT (".tvd" appended when it has no dot)
//   terva --help | --version
#include <QApplication>
#include <QIcon>
#include <cstdio>
#include <cstring>

#include "gui/core/EngineRunner.hpp"
#include "gui/core/NumberFormat.hpp"
#include "gui/app/Main.hpp"
#include "gui/widgets/AppIcon.hpp"
#include "gui/widgets/MessageBoxSink.hpp"
#include "gui/widgets/TableWindows.hpp"
#include "terva/version.h"

namespace {

constexpr const char* kUsage =
    "Usage: terva [PROJECT]\n"
    "TERVA " TERVA_VERSION " - soil-foundation dynamic analysis.\n"
    "\n"
    "  PROJECT    a project file to open (\".tvd\" is appended when the name has no dot)\n"
    "  --help     print this text and exit\n"
    "  --version  print the version and exit\n";

}  // namespace

int main(int argc, char* argv[]) {
  // Answered before any window system is needed.
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (std::strcmp(argv[i], "--version") == 0) {
      std::puts("TERVA " TERVA_VERSION);
      return 0;
    }
  }
  QApplication app(argc, argv);
  terva::gui::UseDecimalPoint();  // the engine may run in this process (tests' stand-ins)
  QApplication::setApplicationName(QStringLiteral("TERVA"));
  QApplication::setOrganizationName(QStringLiteral("Halvit"));
  QApplication::setApplicationVersion(QStringLiteral(TERVA_VERSION));
  QApplication::setWindowIcon(terva::gui::AppIcon());
  QGuiApplication::setDesktopFileName(QStringLiteral("terva"));  // terva.desktop: the desktop's icon and name
  terva::gui::InstallMessageBoxSink();
  terva::gui::InstallTableWindows();

  // working folders of runs whose program was killed
  terva::gui::TEngineRunner().RemoveAbandonedRuns();
  terva::gui::TMainForm window;
  const QStringList arguments = QApplication::arguments();
  window.Start(arguments.size() > 1 ? arguments.at(1) : QString());
  window.show();
  return QApplication::exec();
}
