// Fuzz target: any text as a project file, through the program's project
// reader into the project tables, and as an engine input through the import
// (the engine's reader, the project filled from its record, the program's
// text of it read again).
#include <QCoreApplication>
#include <QString>
#include <cstddef>
#include <cstdint>

#include "gui/core/WordRead.hpp"
#include "gui/files/EngineImport.hpp"
#include "gui/files/ProjectReader.hpp"
#include "gui/model/ProgramData.hpp"
#include "gui/model/ProjectTables.hpp"

using namespace terva::gui;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static int argc = 1;
  static char name[] = "project_reader_fuzz";
  static char* argv[] = {name, nullptr};
  static QCoreApplication app(argc, argv);
  static TProjectTables tables;
  TWordReader reader = TWordReader::FromText(QString::fromUtf8(reinterpret_cast<const char*>(data), int(size)));
  LoadProject(reader, QStringLiteral("fuzz.tvd"), tables);
  ImportEngineInput(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)),
                    QStringLiteral("fuzz.tvd"), tables);
  return 0;
}
