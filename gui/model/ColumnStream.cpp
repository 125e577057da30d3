// The column registry and the column-definition stream ("Col"): the kinds
// of column by registration number, the fields of a definition read and
// written with checks against a short or damaged stream, and a table's
// columns written, read back and copied through that stream.
#include "gui/model/Table.hpp"

#include "gui/model/ColumnTypes.hpp"

#include <QDataStream>
#include <QIODevice>

#include <exception>
#include <map>
#include <utility>

namespace terva::gui {

namespace {

std::map<int, TColumnFactory>& Registry() {
  static std::map<int, TColumnFactory> registry;
  return registry;
}

// The five kinds are registered when the module starts.
const bool kColumnTypesRegistered = (RegisterColumnTypes(), true);

// Version of the column-definition stream.
constexpr int kStreamVersion = QDataStream::Qt_6_0;

}  // namespace

// ---------------------------------------------------------------------------
// Column registry

void RegisterColumnClass(int number, TColumnFactory factory) { Registry()[number] = factory; }

void UnregisterColumnClass(int number) { Registry().erase(number); }

bool IsColumnClassRegistered(int number) { return Registry().count(number) != 0; }

std::unique_ptr<TColumn> TColumn::Create(int number) {
  (void)kColumnTypesRegistered;
  const auto it = Registry().find(number);
  if (it == Registry().end() || it->second == nullptr) return nullptr;
  return it->second();
}

void UnregisterColumnTypes() {
  for (int number : {kEnumColumn, kIntColumn, kFloatColumn, kTableColumn, kStringColumn})
    UnregisterColumnClass(number);
  if (!Registry().empty()) throw TError("Column Type list not empty");
}

// ---------------------------------------------------------------------------
// Stream fields

namespace colstream {
namespace {

void Check(const QDataStream& in) {
  if (in.status() != QDataStream::Ok) throw TError("Stream read error");
}

// A count that cannot fit in what is left of the stream is damage, not a
// reason to reserve memory for it.
void CheckCount(QDataStream& in, quint32 count, qint64 minimumItemSize) {
  Check(in);
  const QIODevice* device = in.device();
  if (device != nullptr && !device->isSequential() &&
      static_cast<qint64>(count) * minimumItemSize > device->bytesAvailable()) {
    in.setStatus(QDataStream::ReadCorruptData);
    throw TError("Stream read error");
  }
}

}  // namespace

QString ReadString(QDataStream& in) {
  QString value;
  in >> value;
  Check(in);
  return value;
}

QStringList ReadStringList(QDataStream& in) {
  quint32 count = 0;
  in >> count;
  CheckCount(in, count, 4);
  QStringList value;
  for (quint32 i = 0; i < count; ++i) value.append(ReadString(in));
  return value;
}

bool ReadBool(QDataStream& in) {
  bool value = false;
  in >> value;
  Check(in);
  return value;
}

int ReadInt(QDataStream& in) {
  qint32 value = 0;
  in >> value;
  Check(in);
  return value;
}

double ReadReal(QDataStream& in) {
  double value = 0.0;
  in >> value;
  Check(in);
  return value;
}

QList<int> ReadIntList(QDataStream& in) {
  quint32 count = 0;
  in >> count;
  CheckCount(in, count, 4);
  QList<int> value;
  for (quint32 i = 0; i < count; ++i) value.append(ReadInt(in));
  return value;
}

void WriteString(QDataStream& out, const QString& value) { out << value; }

void WriteStringList(QDataStream& out, const QStringList& value) {
  out << static_cast<quint32>(value.size());
  for (const QString& item : value) out << item;
}

void WriteBool(QDataStream& out, bool value) { out << value; }
void WriteInt(QDataStream& out, int value) { out << static_cast<qint32>(value); }
void WriteReal(QDataStream& out, double value) { out << value; }

void WriteIntList(QDataStream& out, const QList<int>& value) {
  out << static_cast<quint32>(value.size());
  for (int item : value) out << static_cast<qint32>(item);
}

}  // namespace colstream

// ---------------------------------------------------------------------------
// TColumn: definition

void TColumn::WriteDefinition(QDataStream& out) const {
  colstream::WriteStringList(out, header_);
  colstream::WriteBool(out, visible_);
  colstream::WriteBool(out, grouped_);
}

void TColumn::ReadDefinition(QDataStream& in) {
  header_ = colstream::ReadStringList(in);
  visible_ = colstream::ReadBool(in);
  grouped_ = colstream::ReadBool(in);
}

std::unique_ptr<TColumn> TColumn::Clone() const {
  QByteArray bytes;
  {
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(kStreamVersion);
    WriteDefinition(out);
  }
  QDataStream in(bytes);
  in.setVersion(kStreamVersion);
  std::unique_ptr<TColumn> copy = CreateEmpty();
  copy->ReadDefinition(in);
  return copy;
}

// ---------------------------------------------------------------------------
// TGridTable: stream

void TGridTable::WriteColumns(QDataStream& out) const {
  colstream::WriteInt(out, ColumnCount());
  for (const auto& column : columns_) {
    colstream::WriteInt(out, column->ClassNumber());
    column->WriteDefinition(out);
  }
}

void TGridTable::ReadColumns(QDataStream& in) {
  qint32 count = 0;
  in >> count;
  if (in.status() != QDataStream::Ok || count < 0) throw TError("Error reading column count");
  ClearColumns();
  const auto creating = [](int index, const QString& message) {
    return TError(QString("Error occured when creating column %1: %2").arg(index).arg(message));
  };
  for (int i = 0; i < count; ++i) {
    qint32 number = 0;
    in >> number;
    if (in.status() != QDataStream::Ok) throw creating(i, "Stream read error");
    std::unique_ptr<TColumn> column = TColumn::Create(number);
    if (!column) throw TError("Error Column Class not defined");
    try {
      column->ReadDefinition(in);
      AddColumn(std::move(column));
    } catch (const TError& error) {
      throw creating(i, error.Message());
    } catch (const std::exception& error) {
      throw creating(i, QString::fromLocal8Bit(error.what()));
    }
  }
}

QByteArray TGridTable::ColumnDefinition() const {
  QByteArray bytes;
  QDataStream out(&bytes, QIODevice::WriteOnly);
  out.setVersion(kStreamVersion);
  WriteColumns(out);
  return bytes;
}

void TGridTable::SetColumnDefinition(const QByteArray& bytes) {
  QDataStream in(bytes);
  in.setVersion(kStreamVersion);
  ReadColumns(in);
}

}  // namespace terva::gui
