#include "gui/forms/transient.hpp"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/model/ProjectTables.hpp"

namespace terva::gui {

using P = TProgramData;

Tfrmtransient::Tfrmtransient(const TFormContext& context, QWidget* parent)
    : TDataForm(context, QStringLiteral("Transient Loading Data"), parent) {
  QFormLayout* form = MakeForm();
  AddFields(form, {Count("PointCount", "Number of points ", &P::PointCount),
                   Real("TimeStep", "Time interval between points", "", &P::TimeStep),
                   Count("LoadCount", "Number of load type to be input", &P::LoadCount)});
  data_ = new QPushButton(QStringLiteral("&Data Button"), this);
  data_->setObjectName(QStringLiteral("DataButton"));
  data_->setToolTip(QStringLiteral("Enter the load types and their load histories"));
  connect(data_, &QPushButton::clicked, this, [this] {
    if (Tables()) Tables()->TLoadtype()->Show();
  });
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(data_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addLayout(buttons);
  FinishLayout();
}

}  // namespace terva::gui
