// A test's own folder: the program's settings and user data pointed into it,
// and writable copies of the example projects made in it. Two suites running
// at once on one machine never share a settings file or a working folder.
#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QSettings>
#include <QString>
#include <QTemporaryDir>

namespace terva::gui::test {

class TTestFolder {
 public:
  // Points QSettings and the XDG configuration and data folders into this
  // folder and names the application; call from initTestCase. False when
  // the folder could not be made.
  bool Isolate(const QString& application = QStringLiteral("TERVA")) {
    if (!dir_.isValid()) return false;
    qputenv("XDG_CONFIG_HOME", Path(QStringLiteral("config")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", Path(QStringLiteral("data")).toLocal8Bit());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, Path(QStringLiteral("config")));
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, Path(QStringLiteral("config")));
    QCoreApplication::setOrganizationName(QStringLiteral("Halvit"));
    QCoreApplication::setApplicationName(application);
    return true;
  }

  QString Path(const QString& name) const { return dir_.filePath(name); }

  // A writable copy of examples/projects/`example`, named `as` (the same
  // name when empty); empty when it could not be made.
  QString Example(const QString& example, const QString& as = {}) const {
    const QString target = Path(as.isEmpty() ? example : as);
    QFile::remove(target);
    if (!QFile::copy(QStringLiteral(TERVA_EXAMPLES_DIR "/projects/") + example, target)) return {};
    QFile(target).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    return target;
  }

 private:
  QTemporaryDir dir_;
};

}  // namespace terva::gui::test
