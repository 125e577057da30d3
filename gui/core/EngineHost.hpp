// The engine in a process of its own. The desktop program starts the engine
// host ("terva-engine-host LIBRARY FOLDER") with QProcess for every run, so
// that a run can be cancelled at any moment and an engine that crashes never
// takes the program down; terva-batch's child processes make the same call
// with the same messages. The host loads the library, runs the engine once
// in FOLDER (a prepared working folder, TEngineSession: given to terva_run,
// or made the current folder for an engine without it) and tells its caller
// on its standard output, in frames:
//
//   'P'  frequencies finished and in total (two 32-bit ints), when they
//        change, at most ten times a second while the engine computes
//   'C'  the engine's return code (one 32-bit int), once, when it returned
//   'E'  why the engine could not be called (text), instead of 'C'
//
// Each frame is a kind byte, the payload's length (32 bits) and the payload.
// The engine's own console output goes to standard error.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QProcess>
#include <QString>

#include <functional>

namespace terva::gui {

// One frame of the host's messages.
QByteArray HostFrame(char kind, const QByteArray& payload);
QByteArray HostFrame(char kind, int a);
QByteArray HostFrame(char kind, int a, int b);

// Splits the bytes that arrive into frames.
class THostFrames {
 public:
  void Append(const QByteArray& bytes) { inbox_.append(bytes); }
  // The next complete frame; false when none has arrived whole yet.
  bool Next(char* kind, QByteArray* payload);
  // The first or second int of a frame's payload (0 when it is too short).
  static int Int(const QByteArray& payload, int index);

 private:
  QByteArray inbox_;
};

// Writes all of `bytes` to the file descriptor; false when it is gone.
bool WriteFrame(int fd, const QByteArray& bytes);

// Calls the engine (`call`) on this thread; meanwhile, with `progress` set,
// a second thread sends 'P' frames to `fd` whenever the frequencies done
// change (polled ten times a second; it stops when `progress` says the
// engine has no progress query). Then sends the 'C' frame and returns the code.
int CallSendingFrames(const std::function<int()>& call, const std::function<bool(int*, int*)>& progress, int fd);

// One run of the engine host, as the desktop program makes it: started on a
// prepared working folder, it follows the host's frames; Finished() is
// emitted once when the host has ended, whatever the way.
class TEngineHostRun : public QObject {
  Q_OBJECT

 public:
  TEngineHostRun(QString host, QString library, QString folder, QObject* parent = nullptr);
  ~TEngineHostRun() override;

  void Start();
  // Ends the host at once (the engine's work is lost; the working folder
  // stays the session's to remove).
  void Cancel();

  bool Running() const { return process_.state() != QProcess::NotRunning; }
  bool Cancelled() const { return cancelled_; }
  // The engine returned (HasCode) with Code().
  bool HasCode() const { return code_ >= 0; }
  int Code() const { return code_; }
  // Why the run ended without a code ("" after a cancel).
  QString Failure() const { return failure_; }
  bool Progress(int* done, int* total) const;

 signals:
  void Finished();

 private:
  void Read();
  void Ended(int exitCode, QProcess::ExitStatus status);

  QString host_, library_, folder_;
  QProcess process_;
  THostFrames frames_;
  int code_ = -1;
  int done_ = 0, total_ = 0;
  bool cancelled_ = false;
  bool ended_ = false;
  QString failure_;
  QString error_;  // an 'E' frame
};

}  // namespace terva::gui
