#include "gui/core/EngineHost.hpp"

#include <QDir>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif
#ifdef Q_OS_WIN
#include <io.h>
#endif

#include "gui/core/EngineRunner.hpp"

namespace terva::gui {

QByteArray HostFrame(char kind, const QByteArray& payload) {
  const qint32 size = static_cast<qint32>(payload.size());
  return QByteArray(1, kind) + QByteArray(reinterpret_cast<const char*>(&size), sizeof size) + payload;
}

QByteArray HostFrame(char kind, int a) {
  const qint32 value = a;
  return HostFrame(kind, QByteArray(reinterpret_cast<const char*>(&value), sizeof value));
}

QByteArray HostFrame(char kind, int a, int b) {
  const qint32 values[2] = {a, b};
  return HostFrame(kind, QByteArray(reinterpret_cast<const char*>(values), sizeof values));
}

bool THostFrames::Next(char* kind, QByteArray* payload) {
  if (inbox_.size() < 5) return false;
  qint32 size = 0;
  std::memcpy(&size, inbox_.constData() + 1, sizeof size);
  if (size < 0 || size > (64 << 20)) {  // not our frames: nothing more is taken from them
    inbox_.clear();
    return false;
  }
  if (inbox_.size() < 5 + size) return false;
  *kind = inbox_.at(0);
  *payload = inbox_.mid(5, size);
  inbox_.remove(0, 5 + size);
  return true;
}

int THostFrames::Int(const QByteArray& payload, int index) {
  qint32 value = 0;
  if (payload.size() < (index + 1) * 4) return 0;
  std::memcpy(&value, payload.constData() + index * 4, sizeof value);
  return value;
}

bool WriteFrame(int fd, const QByteArray& bytes) {
  qsizetype written = 0;
  while (written < bytes.size()) {
#ifdef Q_OS_WIN
    const int n = ::_write(fd, bytes.constData() + written, static_cast<unsigned>(bytes.size() - written));
#else
    const ssize_t n = ::write(fd, bytes.constData() + written, static_cast<size_t>(bytes.size() - written));
    if (n < 0 && errno == EINTR) continue;
#endif
    if (n <= 0) return false;
    written += n;
  }
  return true;
}

int CallSendingFrames(const std::function<int()>& call, const std::function<bool(int*, int*)>& progress, int fd) {
  std::mutex mutex;
  std::condition_variable wake;
  bool finished = false;
  std::thread reporter;
  if (progress) reporter = std::thread([&] {
      int last[2] = {-1, -1};
      std::unique_lock<std::mutex> lock(mutex);
      while (!finished) {
        int now[2] = {0, 0};
        if (!progress(&now[0], &now[1])) break;  // an engine without the query
        if (now[0] != last[0] || now[1] != last[1]) {
          last[0] = now[0], last[1] = now[1];
          WriteFrame(fd, HostFrame('P', now[0], now[1]));
        }
        wake.wait_for(lock, std::chrono::milliseconds(100), [&] { return finished; });
      }
    });
  const int code = call();
  {
    const std::lock_guard<std::mutex> lock(mutex);
    finished = true;
  }
  wake.notify_one();
  if (reporter.joinable()) reporter.join();
  if (code >= 0) WriteFrame(fd, HostFrame('C', code));
  return code;
}

// ---------------------------------------------------------------------------

TEngineHostRun::TEngineHostRun(QString host, QString library, QString folder, QObject* parent)
    : QObject(parent), host_(std::move(host)), library_(std::move(library)), folder_(std::move(folder)) {
  process_.setProcessChannelMode(QProcess::SeparateChannels);
  process_.setStandardInputFile(QProcess::nullDevice());
  // the engine's console lines are of no use here; the report has them
  process_.setStandardErrorFile(QProcess::nullDevice());
  connect(&process_, &QProcess::readyReadStandardOutput, this, &TEngineHostRun::Read);
  connect(&process_, &QProcess::finished, this, &TEngineHostRun::Ended);
  connect(&process_, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
    if (error == QProcess::FailedToStart) Ended(-1, QProcess::CrashExit);
  });
}

TEngineHostRun::~TEngineHostRun() {
  if (Running()) {
    process_.kill();
    process_.waitForFinished(5000);
  }
}

void TEngineHostRun::Start() {
  process_.start(host_, {library_, folder_}, QIODevice::ReadOnly);
}

void TEngineHostRun::Cancel() {
  if (!Running()) return;
  cancelled_ = true;
  process_.kill();
}

bool TEngineHostRun::Progress(int* done, int* total) const {
  if (done) *done = done_;
  if (total) *total = total_;
  return true;
}

void TEngineHostRun::Read() {
  frames_.Append(process_.readAllStandardOutput());
  char kind = 0;
  QByteArray payload;
  while (frames_.Next(&kind, &payload)) {
    if (kind == 'P') {
      done_ = THostFrames::Int(payload, 0);
      total_ = THostFrames::Int(payload, 1);
    } else if (kind == 'C') {
      code_ = THostFrames::Int(payload, 0);
    } else if (kind == 'E') {
      error_ = QString::fromUtf8(payload);
    }
  }
}

void TEngineHostRun::Ended(int exitCode, QProcess::ExitStatus status) {
  if (ended_) return;
  ended_ = true;
  Read();
  if (cancelled_) {
    code_ = -1;  // whatever came, the user asked for the old results
    failure_.clear();
  } else if (code_ < 0) {
    if (!error_.isEmpty()) failure_ = error_;
    else if (exitCode == -1 && status == QProcess::CrashExit && process_.error() == QProcess::FailedToStart)
      failure_ = QStringLiteral("The engine host %1 could not be started").arg(QDir::toNativeSeparators(host_));
    else if (status == QProcess::CrashExit)
      failure_ = QStringLiteral("The engine ended abnormally; the previous results are kept");
    else
      failure_ = QStringLiteral("The engine ended abnormally (exit status %1); the previous results are kept").arg(exitCode);
  }
  emit Finished();
}

}  // namespace terva::gui
