#include "gui/core/Errors.hpp"

namespace terva::gui {

TError::TError(QString message) : message_(std::move(message)), utf8_(message_.toUtf8()) {}

}  // namespace terva::gui
