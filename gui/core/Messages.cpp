#include "gui/core/Messages.hpp"

#include <cstdio>
#include <utility>

namespace terva::gui {

namespace {

TMessageSink& Sink() {
  static TMessageSink sink;
  return sink;
}

}  // namespace

TMessageSink SetMessageSink(TMessageSink sink) { return std::exchange(Sink(), std::move(sink)); }

int ShowMessage(TMessageKind kind, const QString& title, const QString& text, int buttons) {
  if (Sink()) return Sink()(TMessage{kind, title, text, buttons});
  QString line = text;
  line.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
  return (buttons & MbOk) != 0 ? MbOk : MbCancel;
}

QString WithPrefix(const QString& prefix, const QString& message) {
  if (prefix.isEmpty()) return message;
  QString text = message;
  if (text.size() >= 2 && text[0].isUpper() && text[1].isLower()) text[0] = text[0].toLower();
  return prefix + text;
}

}  // namespace terva::gui
