// The program's icon: a machine block on its footing in the soil.
#pragma once

#include <QIcon>

namespace terva::gui {

QIcon AppIcon();

}  // namespace terva::gui
