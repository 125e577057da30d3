// The one way the program tells the user something: every message of the
// model, the file readers and the windows goes to the message sink. The
// desktop program installs a sink that shows message boxes; tests install
// one that records the messages.
#pragma once

#include <QString>

#include <functional>

namespace terva::gui {

enum class TMessageKind { Information, Warning, Error, Question };
enum TMessageButton {
  MbOk = 1,
  MbYes = 2,
  MbNo = 4,
  MbCancel = 8,
  MbViewReport = 16,  // "View Report", beside OK in a run's outcome
  MbReload = 32,      // "Reload", when the project file changed on disk
  MbOverwrite = 64,   // "Overwrite", likewise
  MbSaveAs = 128,     // "Save As…", before a save over an imported engine input
};

struct TMessage {
  TMessageKind kind;
  QString title;
  QString text;  // line breaks may be "\r" or "\n"
  int buttons;   // TMessageButton values or'ed together
};

// Shows a message and returns the button pressed.
using TMessageSink = std::function<int(const TMessage&)>;

// Installs `sink` (an empty one removes it) and returns the previous sink.
TMessageSink SetMessageSink(TMessageSink sink);

// Hands the message to the sink. Without a sink the text goes to stderr and
// the answer is MbOk, or MbCancel when OK is not offered.
int ShowMessage(TMessageKind kind, const QString& title, const QString& text, int buttons = MbOk);

// A message about one entry, after the words that say which entry and
// where ("Shear Wave Velocity, row 2, Soil Properties: "): the message's
// first word then starts in lower case, unless it is an abbreviation.
QString WithPrefix(const QString& prefix, const QString& message);

}  // namespace terva::gui
