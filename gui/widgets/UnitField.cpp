#include "gui/widgets/UnitField.hpp"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

namespace terva::gui {

QWidget* WithUnit(QLineEdit* field, const QString& unit, QWidget* parent, int unitWidth) {
  auto* box = new QWidget(parent);
  auto* row = new QHBoxLayout(box);
  row->setContentsMargins(0, 0, 0, 0);
  row->addWidget(field);
  auto* label = new QLabel(unit, box);
  label->setMinimumWidth(unitWidth);
  row->addWidget(label);
  return box;
}

}  // namespace terva::gui
