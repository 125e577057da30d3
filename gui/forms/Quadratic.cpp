#include "gui/forms/Quadratic.hpp"

namespace terva::gui {

TfrmQuad::TfrmQuad(const TFormContext& context, QWidget* parent) : THarmonicForm(context, 1, parent) {}

}  // namespace terva::gui
