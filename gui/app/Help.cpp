#include "gui/app/Help.hpp"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QUrl>
#include <QVBoxLayout>

namespace terva::gui {

void ShowHelpPage(QWidget* parent, QPointer<QWidget>& slot, const QString& title, const QString& page,
                  const QString& name) {
  if (slot) {
    slot->show();
    slot->raise();
    slot->activateWindow();
    return;
  }
  auto* window = new QDialog(parent, Qt::Window);
  window->setAttribute(Qt::WA_DeleteOnClose);
  window->setWindowTitle(title);
  auto* browser = new QTextBrowser(window);
  browser->setObjectName(name);
  browser->setOpenExternalLinks(true);
  browser->setSearchPaths({QStringLiteral(":/docs")});
  browser->setSource(QUrl(QStringLiteral("qrc:/docs/") + page), QTextDocument::MarkdownResource);
  // The pictures are screenshots of the whole window: shown at a width that fits.
  for (QTextBlock block = browser->document()->begin(); block.isValid(); block = block.next())
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      if (!fragment.charFormat().isImageFormat()) continue;
      QTextImageFormat image = fragment.charFormat().toImageFormat();
      const QImage picture = browser->document()->resource(QTextDocument::ImageResource, QUrl(image.name())).value<QImage>();
      if (picture.isNull() || picture.width() <= 780) continue;
      image.setWidth(780);
      image.setHeight(780.0 * picture.height() / picture.width());
      QTextCursor cursor(browser->document());
      cursor.setPosition(fragment.position());
      cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
      cursor.setCharFormat(image);
    }
  auto* layout = new QVBoxLayout(window);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(browser);
  window->resize(860, 680);
  window->show();
  slot = window;
}

void ShowAboutBox(QWidget* parent, const QString& versionText) {
  QDialog about(parent);
  about.setObjectName(QStringLiteral("AboutBox"));
  about.setWindowTitle(QStringLiteral("About TERVA"));
  auto* name = new QLabel(QStringLiteral("<h2>TERVA</h2>Soil–foundation dynamic analysis"), &about);
  auto* version = new QLabel(QStringLiteral("Version ") + versionText, &about);
  version->setObjectName(QStringLiteral("VersionLabel"));
  auto* licence = new QLabel(QStringLiteral("Copyright © Halvit. Licensed to the user of this copy."), &about);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &about);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &about, &QDialog::accept);
  auto* layout = new QVBoxLayout(&about);
  layout->addWidget(name);
  layout->addWidget(version);
  layout->addWidget(licence);
  layout->addSpacing(8);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  about.setModal(true);
  about.exec();
}

}  // namespace terva::gui
