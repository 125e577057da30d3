#include "gui/forms/ncPileProperties.hpp"

namespace terva::gui {

TfrmNCPileProperties::TfrmNCPileProperties(const TFormContext& context, QWidget* parent)
    : TMassForm(context, QStringLiteral("Pile Cap Properties"),
                QStringLiteral("Total mass (including equipment) of footing"), parent) {}

}  // namespace terva::gui
