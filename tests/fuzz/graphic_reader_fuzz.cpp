// Fuzz target: any bytes as a graphic data file, through the reader of the
// result plots, with every combination of the options that steer it.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>

#include "gui/model/PltData.hpp"

using namespace terva::gui;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static int argc = 1;
  static char name[] = "graphic_reader_fuzz";
  static char* argv[] = {name, nullptr};
  static QCoreApplication app(argc, argv);
  static QTemporaryDir folder;
  if (size < 1) return 0;
  const std::uint8_t options = data[0];
  const QString path = QDir(folder.path()).filePath(QStringLiteral("fuzz.tvp"));
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
  file.write(reinterpret_cast<const char*>(data + 1), qint64(size - 1));
  file.close();
  TResultPlots plots;
  QString error;
  plots.ReadResultCurves(path, false, options & 1, 1 + (options >> 1) % 3, 1 + (options >> 3) % 2, &error);
  return 0;
}
