#include "gui/core/Messages.hpp"

#include <cstdio>

namespace terva::gui {

namespace {
TMessageSink& Sink() {
  static TMessageSink sink;
  return sink;
}
}  // namespace

TMessageSink SetMessageSink(TMessageSink sink) {
  TMessageSink previous = std::move(Sink());
  Sink() = std::move(sink);
  return previous;
}

int ShowMessage(TMessageKind kind, const QString& title, const QString& text, int buttons) {
  if (Sink()) return Sink()(TMessage{kind, title, text, buttons});
  std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
  return (buttons & MbOk) ? MbOk : MbCancel;
}

}  // namespace terva::gui
