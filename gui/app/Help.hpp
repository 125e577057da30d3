// The Help menu's windows: the manual and the validation as pages of the
// program's resources, and the About box.
#pragma once

#include <QPointer>
#include <QString>

class QWidget;

namespace terva::gui {

// The page `page` of the resources (":/docs") in a window of its own, kept
// in `slot`: shown again (in front) while it is open. The browser gets the
// object name `name`.
void ShowHelpPage(QWidget* parent, QPointer<QWidget>& slot, const QString& title, const QString& page,
                  const QString& name);

// The modal About box with the program's version.
void ShowAboutBox(QWidget* parent, const QString& version);

}  // namespace terva::gui
