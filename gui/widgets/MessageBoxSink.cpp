#include "gui/widgets/MessageBoxSink.hpp"

#include "gui/core/Messages.hpp"

#include <QApplication>
#include <QLabel>
#include <QAbstractButton>
#include <QPushButton>
#include <QMessageBox>

#include <vector>

namespace terva::gui {

namespace {

QMessageBox::Icon IconOf(TMessageKind kind) {
  switch (kind) {
    case TMessageKind::Information: return QMessageBox::Information;
    case TMessageKind::Warning: return QMessageBox::Warning;
    case TMessageKind::Error: return QMessageBox::Critical;
    case TMessageKind::Question: return QMessageBox::Question;
  }
  return QMessageBox::NoIcon;
}

constexpr std::pair<int, QMessageBox::StandardButton> kButtons[] = {
    {MbOk, QMessageBox::Ok}, {MbYes, QMessageBox::Yes}, {MbNo, QMessageBox::No}, {MbCancel, QMessageBox::Cancel}};

int ShowBox(const TMessage& message) {
  QMessageBox::StandardButtons buttons;
  for (const auto& [mine, standard] : kButtons)
    if ((message.buttons & mine) != 0) buttons |= standard;
  if (buttons == QMessageBox::NoButton) buttons = QMessageBox::Ok;
  QString text = message.text;
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  QWidget* parent = QApplication::activeModalWidget() != nullptr ? QApplication::activeModalWidget()
                                                                  : QApplication::activeWindow();
  QMessageBox box(IconOf(message.kind), message.title, text, buttons, parent);
  // the buttons of our own words, each with its access key
  const std::pair<int, QString> own[] = {{MbViewReport, QStringLiteral("&View Report")},
                                         {MbReload, QStringLiteral("&Reload")},
                                         {MbOverwrite, QStringLiteral("O&verwrite")},
                                         {MbSaveAs, QStringLiteral("Save &As\u2026")}};
  std::vector<std::pair<int, QAbstractButton*>> added;
  for (const auto& [mine, caption] : own)
    if ((message.buttons & mine) != 0) added.emplace_back(mine, box.addButton(caption, QMessageBox::ActionRole));
  // OK stays the default and Esc's button beside buttons of our own
  if ((message.buttons & MbOk) != 0) {
    box.setDefaultButton(QMessageBox::Ok);
    if ((message.buttons & MbCancel) == 0) box.setEscapeButton(QMessageBox::Ok);
  }
  const int pressed = box.exec();
  for (const auto& [mine, button] : added)
    if (box.clickedButton() == button) return mine;
  for (const auto& [mine, standard] : kButtons)
    if (pressed == standard) return mine;
  return (message.buttons & MbCancel) != 0 || (message.buttons & MbOk) == 0 ? MbCancel : MbOk;
}

}  // namespace

void InstallMessageBoxSink() { SetMessageSink(ShowBox); }

QLabel* NewErrorLabel(QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setObjectName(QStringLiteral("Error"));
  label->setWordWrap(true);
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, Qt::darkRed);
  label->setPalette(palette);
  return label;
}

}  // namespace terva::gui
