// Renders a grid table window for the documentation: a load table with a
// choice column, a force column and a column of nested amplitude tables,
// shown as a child window of a frame, saved as a PNG.
//
//   QT_QPA_PLATFORM=offscreen table_screenshot docs/table-window.png
#include "gui/model/ColumnTypes.hpp"
#include "gui/model/Table.hpp"
#include "gui/widgets/TableForm.hpp"
#include "gui/widgets/TableWindows.hpp"

#include <QApplication>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPixmap>
#include <QStyleFactory>
#include <QTableView>

#include <cstdio>

using namespace terva::gui;

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setStyle(QStyleFactory::create("Fusion"));
  const QString path = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("table-window.png");

  QMainWindow frame;
  frame.setWindowTitle("TERVA");
  auto* area = new QMdiArea(&frame);
  area->setBackground(QColor(0xa0, 0xa8, 0xb4));
  frame.setCentralWidget(area);
  InstallTableWindows().SetHost([area](TTableForm* form) {
    QMdiSubWindow* window = area->addSubWindow(form);
    window->move(16, 16);
  });

  // The template of the nested amplitude tables.
  TGridTable amplitude;
  amplitude.SetCaption("Load Amplitude");
  amplitude.SetTopLeft("Number");
  amplitude.AddColumn(std::make_unique<TFloatColumn>(QStringList{"Load Amplitude"}, "F"));

  TGridTable loads;
  loads.SetCaption("Loads");
  loads.SetTopLeft("Number");
  loads.SetHardwiredButton(true);
  loads.SetComments("Choose the direction of each load; the button opens its amplitude history.");
  loads.SetUnits(2);
  loads.AddColumn(std::make_unique<TEnumColumn>(
      QStringList{"Load type"}, QStringList{"Force in X-direction", "Force in Y-direction", "Force in Z-direction",
                                            "Moment about X-axis", "Moment about Y-axis", "Moment about Z-axis"}));
  loads.AddColumn(std::make_unique<TFloatColumn>(QStringList{"Static", "load, "}, "F"));
  loads.AddColumn(std::make_unique<TTableColumn>(QStringList{"Load", "amplitude"}, amplitude.Identifier()));
  loads.SetRowCount(4);
  const int types[] = {1, 2, 3, 6};
  const double statics[] = {12.5, 8.25, 140.0, 3.75};
  for (int row = 0; row < 4; ++row) {
    loads.Cell(0, row).SetInteger(types[row]);
    loads.Cell(1, row).SetReal(statics[row]);
  }

  loads.Show();
  TTableForm* form = TTableForm::Of(loads);
  form->Grid()->setCurrentIndex(form->Grid()->model()->index(2, 1));
  auto* window = qobject_cast<QMdiSubWindow*>(form->parentWidget());
  window->adjustSize();
  frame.resize(window->width() + 32, window->height() + 32);
  frame.show();
  area->setActiveSubWindow(window);
  QApplication::processEvents();

  if (!area->grab().save(path)) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return 1;
  }
  std::printf("%s\n", qPrintable(path));
  return 0;
}
