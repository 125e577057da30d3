// The message sink of the running program: message boxes.
#pragma once

namespace terva::gui {

// Shows every message of the program in a message box (information,
// warning, error, or a question with the buttons asked for).
void InstallMessageBoxSink();

}  // namespace terva::gui
