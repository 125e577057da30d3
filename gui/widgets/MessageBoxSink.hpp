// The message sink of the desktop program: every message in a message box.
#pragma once

namespace terva::gui {

// Installs the message-box sink (see core/Messages.hpp).
void InstallMessageBoxSink();

}  // namespace terva::gui
