// A dialog's entry field with its unit label after it, as the forms of the
// helper and report dialogs lay them out.
#pragma once

#include <QString>

class QLineEdit;
class QWidget;

namespace terva::gui {

// A row of `field` and a label with `unit`, at least `unitWidth` pixels
// wide so that the fields of one form line up.
QWidget* WithUnit(QLineEdit* field, const QString& unit, QWidget* parent, int unitWidth = 32);

}  // namespace terva::gui
