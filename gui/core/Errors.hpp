// The errors of the program's own code: each carries the text the user sees.
#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

namespace terva::gui {

// A failure whose message is shown to the user as it stands.
class TError : public std::exception {
 public:
  explicit TError(QString message);
  const QString& Message() const { return message_; }
  const char* what() const noexcept override { return utf8_.constData(); }

 private:
  QString message_;
  QByteArray utf8_;
};

// An input/output error: opening or reading a file failed, or its contents
// are not what the reader expected.
class TInOutError : public TError {
 public:
  using TError::TError;
};

}  // namespace terva::gui
