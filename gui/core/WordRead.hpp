// Line-and-word reader for the project file and the graphic data file.
//
// The whole file is loaded into memory as lines; each line keeps its raw text
// and its words (runs of characters between blanks and tabs, after the line
// is trimmed of leading and trailing blanks and control characters). The
// caller then takes either the next word as a number, running on across line
// ends, or the current line as raw text.
//
// Numbers always use "." as the decimal separator, whatever the locale.
// Every failure is raised as a TInOutError: an input/output error carrying
// the text the user sees. Loaders catch it, show (or drop) the text and keep
// what they read so far; any other TError is a different kind of failure.
#pragma once

#include "gui/core/Errors.hpp"

#include <QString>
#include <QStringList>

#include <vector>

namespace terva::gui {

// One line of the file: its words (the string list itself) and its raw text,
// exactly as read (without the line terminator).
class TWordContainer : public QStringList {
 public:
  TWordContainer() = default;
  explicit TWordContainer(const QString& raw_text);

  const QString& Text() const { return text_; }

  // The words of a line of text: trimmed of blanks and control characters at
  // both ends, then split at blanks and tabs. A blank line has no words.
  static QStringList SplitWords(const QString& raw_text);

 private:
  QString text_;
};

class TWordReader {
 public:
  // The messages of the reader, as the user sees them.
  static const QString kIncomplete;     // "This file either invalid or incomplete."
  static const QString kFloatExpected;  // "A floating point number was expected but not found."
  static const QString kIntExpected;    // "An integer was expected but not found."

  // Create(path): reads the whole file (an empty file gives one empty line).
  // The position is then the first word of the first line. Failure to open
  // or read raises a TInOutError naming the file.
  explicit TWordReader(const QString& path);

  // The same reader over text held in memory (lines split at "\n", "\r\n"
  // or "\r"; a final line terminator does not start another line).
  static TWordReader FromText(const QString& text);

  // True when every line has been passed (line index == line count).
  bool AtEnd() const { return line_ >= static_cast<int>(lines_.size()); }

  // The raw text of the current line, whatever words of it were already
  // taken; moves to the first word of the next line. Used both to read a
  // line as text and to finish a line after its last number.
  // At the end of the file: TInOutError(kIncomplete).
  QString ReadLine();

  // The next word as a real ("." decimal separator, exponent allowed).
  // A word that is no finite number fails with
  // "Error on Line L Item I" CR kFloatExpected.
  double ReadFloat();

  // The next word read as a real that must be whole and lie within the int
  // range (3.0 and 1E2 give 3 and 100). Otherwise
  // "Error on Line L Item I" CR kIntExpected.
  int ReadInt();

  // The next word: when every word of the current line has been taken, moves
  // on to the next line holding words; at the end: TInOutError(kIncomplete).
  QString NextWord();

  // Position: the current line index and word index (0-based); after a
  // NextWord/ReadFloat/ReadInt, LineNumber() and ItemNumber() give the
  // 1-based line and position of the word just taken.
  int LineIndex() const { return line_; }
  int WordIndex() const { return word_; }
  int LineNumber() const { return line_ + 1; }
  int ItemNumber() const { return word_; }

  int LineCount() const { return static_cast<int>(lines_.size()); }
  const TWordContainer& Line(int index) const { return lines_.at(static_cast<size_t>(index)); }

  // "Error on Line L Item I" CR message, for the word just taken.
  QString PositionMessage(const QString& message) const;

 private:
  TWordReader() = default;
  void LoadText(const QString& text);

  std::vector<TWordContainer> lines_;
  int line_ = 0;
  int word_ = 0;
};

}  // namespace terva::gui
