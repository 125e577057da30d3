#include "gui/model/Settings.hpp"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

#include "terva/version.h"

namespace terva::gui {

namespace {
const QString kEditorKey = QStringLiteral("Word Processor");
QString FileKey(int index) { return QStringLiteral("File%1").arg(index + 1); }
}  // namespace

void TRecentFiles::Add(const QString& path) {
  const int found = files_.indexOf(path);  // exact, case-sensitive
  if (found == 0) return;
  if (found > 0) files_.removeAt(found);
  files_.prepend(path);
  while (files_.size() > kCount) files_.removeLast();
}

void TRecentFiles::Set(QStringList files) {
  files_ = std::move(files);
  while (files_.size() > kCount) files_.removeLast();
}

QStringList TRecentFiles::MenuTexts(const QString& currentFolder) const {
  QStringList texts;
  for (int i = 0; i < files_.size(); ++i) {
    QString path = files_[i];
    const QFileInfo info(path);
    if (QDir::cleanPath(info.absolutePath()) == QDir::cleanPath(currentFolder)) path = info.fileName();
    path.replace(QLatin1Char('&'), QLatin1String("&&"));
    texts << QStringLiteral("%1 %2").arg(i + 1).arg(QDir::toNativeSeparators(path));
  }
  return texts;
}

QString TSettings::Group() { return QStringLiteral(TERVA_VERSION); }

void TSettings::Read() {
  QSettings settings(QStringLiteral("Halvit"), QStringLiteral("TERVA"));
  settings.beginGroup(Group());
  editorPath = settings.value(kEditorKey).toString();
  QStringList files;
  for (int i = 0; i < TRecentFiles::kCount; ++i) {
    const QString file = settings.value(FileKey(i)).toString();
    if (!file.isEmpty()) files.append(file);
  }
  recent.Set(files);
  if (settings.status() != QSettings::NoError) {
    editorPath.clear();
    recent.Clear();
  }
  if (editorPath.isEmpty()) editorPath = DefaultEditorPath();
}

void TSettings::Write() const {
  QSettings settings(QStringLiteral("Halvit"), QStringLiteral("TERVA"));
  settings.beginGroup(Group());
  settings.setValue(kEditorKey, editorPath);
  const QStringList& files = recent.Files();
  for (int i = 0; i < TRecentFiles::kCount; ++i) settings.setValue(FileKey(i), i < files.size() ? files[i] : QString());
}

QString TSettings::DefaultEditorPath() {
#ifdef Q_OS_WIN
  const QString windows = qEnvironmentVariable("SystemRoot", QStringLiteral("C:\\Windows"));
  return windows + QStringLiteral("\\notepad.exe");
#else
  return {};
#endif
}

}  // namespace terva::gui
