#include "gui/forms/Layout.hpp"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>

static void InitPictures() { Q_INIT_RESOURCE(pictures); }

namespace terva::gui {

QPixmap FoundationPicture(TFoundationType type) {
  InitPictures();
  QString name;
  switch (type) {
    case TFoundationType::HalfSpace: name = QStringLiteral("halfspace"); break;
    case TFoundationType::Pile: name = QStringLiteral("pile"); break;
    case TFoundationType::Stratum: name = QStringLiteral("stratum"); break;
    case TFoundationType::Multilayer: name = QStringLiteral("multilayer"); break;
  }
  if (name.isEmpty()) return {};
  const QString local = QDir(QCoreApplication::applicationDirPath()).filePath(name + QStringLiteral(".bmp"));
  QPixmap picture;
  if (QFileInfo::exists(local) && picture.load(local)) return picture;
  picture.load(QStringLiteral(":/forms/pictures/") + name + QStringLiteral(".png"));
  return picture;
}

TfrmLayout::TfrmLayout(const TFormContext& context, QWidget* parent)
    : TDataForm(context, QStringLiteral("Foundation Options"), parent) {
  QFormLayout* form = MakeForm();
  type_ = new QComboBox(this);
  type_->setObjectName(QStringLiteral("FootingType"));
  type_->addItems({QStringLiteral("HALF-SPACE"), QStringLiteral("PILE"), QStringLiteral("STRATUM"),
                   QStringLiteral("MULTILAYER")});
  auto* label = new QLabel(QStringLiteral("Footing &Type:"), this);
  label->setBuddy(type_);
  form->addRow(label, type_);
  picture_ = new QLabel(this);
  picture_->setObjectName(QStringLiteral("Picture"));
  picture_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  picture_->setPixmap(FoundationPicture(TFoundationType::HalfSpace));
  picture_->setMinimumSize(picture_->pixmap().size());
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(picture_, 0, Qt::AlignHCenter);
  connect(type_, &QComboBox::currentTextChanged, this, &TfrmLayout::TypeChanged);
  FinishLayout();
}

void TfrmLayout::TypeChanged(const QString& text) {
  const std::optional<TFoundationType> type = FoundationTypeOf(text);
  if (!type) return;
  // The project follows the list at once, as a step of the undo history.
  if (!Loading()) {
    Project().SetFoundation(*type);
    FollowProject(Project());  // open windows show what the new type holds
    CommitStep(QStringLiteral("Change Foundation Type"));
  }
  picture_->setPixmap(FoundationPicture(*type));
}

void TfrmLayout::LoadExtras() {
  activated_ = Project().FoundationCode;
  const QString word = FoundationWord(activated_);
  if (type_->currentText() == word) TypeChanged(word);  // the picture all the same
  else type_->setCurrentText(word);
}

void TfrmLayout::StoreExtras() {
  if (const auto type = FoundationTypeOf(type_->currentText())) Project().SetFoundation(*type);
  if (Project().FoundationCode == activated_) return;
  activated_ = Project().FoundationCode;
  MarkModified();
  if (Context().foundationTypeChanged) Context().foundationTypeChanged();
}

}  // namespace terva::gui
