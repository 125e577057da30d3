// The message sink of the desktop program: every message in a message box;
// and the dialogs' own line for what they refuse.
#pragma once

class QLabel;
class QWidget;

namespace terva::gui {

// Installs the message-box sink (see core/Messages.hpp).
void InstallMessageBoxSink();

// A dialog's line under its fields that says why an entry is refused: dark
// red, wrapped, named "Error"; empty until there is something to say.
QLabel* NewErrorLabel(QWidget* parent);

}  // namespace terva::gui
