// Records the messages of the program instead of showing them, for as long
// as it lives; the previous message sink comes back afterwards.
#pragma once

#include "gui/core/Messages.hpp"

#include <QList>
#include <QStringList>

namespace terva::gui::test {

class TMessageRecorder {
 public:
  explicit TMessageRecorder(int answer = MbOk)
      : answer_(answer), previous_(SetMessageSink([this](const TMessage& message) {
          messages.append(message);
          texts.append(message.text);
          return answer_;
        })) {}
  ~TMessageRecorder() { SetMessageSink(previous_); }
  TMessageRecorder(const TMessageRecorder&) = delete;
  TMessageRecorder& operator=(const TMessageRecorder&) = delete;

  void Clear() {
    messages.clear();
    texts.clear();
  }

  QList<TMessage> messages;
  QStringList texts;

 private:
  int answer_;
  TMessageSink previous_;
};

}  // namespace terva::gui::test
