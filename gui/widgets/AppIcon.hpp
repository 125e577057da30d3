// The program's icon: a machine block on its footing in the soil, a wave
// through the ground (the same drawing as packaging/icons/terva.svg).
#pragma once

#include <QIcon>

namespace terva::gui {

QIcon AppIcon();

}  // namespace terva::gui
