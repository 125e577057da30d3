// The one message sink: every message the program shows the user goes
// through ShowMessage, so that tests (and batch use) can read and answer them.
#pragma once

#include <QString>
#include <functional>

namespace terva::gui {

enum class TMessageKind { Information, Warning, Error, Question };
enum TMessageButton { MbOk = 1, MbYes = 2, MbNo = 4, MbCancel = 8 };

struct TMessage {
  TMessageKind kind;
  QString title;
  QString text;
  int buttons;
};

// Returns the button pressed.
using TMessageSink = std::function<int(const TMessage&)>;

// Installs `sink`; returns the previous one.
TMessageSink SetMessageSink(TMessageSink sink);

// Without a sink the text goes to standard error and the answer is Ok (or
// Cancel when Ok is not offered).
int ShowMessage(TMessageKind kind, const QString& title, const QString& text, int buttons = MbOk);

}  // namespace terva::gui
