#include "gui/widgets/MessageBoxSink.hpp"

#include <QApplication>
#include <QMessageBox>

#include "gui/core/Messages.hpp"

namespace terva::gui {

void InstallMessageBoxSink() {
  SetMessageSink([](const TMessage& message) {
    QMessageBox::StandardButtons buttons;
    if (message.buttons & MbOk) buttons |= QMessageBox::Ok;
    if (message.buttons & MbYes) buttons |= QMessageBox::Yes;
    if (message.buttons & MbNo) buttons |= QMessageBox::No;
    if (message.buttons & MbCancel) buttons |= QMessageBox::Cancel;
    if (!buttons) buttons = QMessageBox::Ok;
    QMessageBox::Icon icon = QMessageBox::Information;
    switch (message.kind) {
      case TMessageKind::Information: icon = QMessageBox::Information; break;
      case TMessageKind::Warning: icon = QMessageBox::Warning; break;
      case TMessageKind::Error: icon = QMessageBox::Critical; break;
      case TMessageKind::Question: icon = QMessageBox::Question; break;
    }
    QMessageBox box(icon, message.title, message.text, buttons, QApplication::activeWindow());
    switch (box.exec()) {
      case QMessageBox::Yes: return int(MbYes);
      case QMessageBox::No: return int(MbNo);
      case QMessageBox::Cancel: return int(MbCancel);
      default: return int(MbOk);
    }
  });
}

}  // namespace terva::gui
