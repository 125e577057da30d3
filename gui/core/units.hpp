// Unit templates: short texts such as "L2/SEC" or "F/L2^3" whose placeholder
// letters stand for the units of a dimension in the current unit system.
// Pure functions; no widgets.
#pragma once

#include <QString>

namespace terva::gui {

// Unit systems of a project: 1 English, 2 SI, 3 generic (dimension letters).
// The label functions take systems outside 1..3 as the nearest one.
enum UnitSystem : int { kEnglish = 1, kSI = 2, kGeneric = 3 };

// The label of a template for a grid table column header.
QString TableUnitLabel(const QString& unitTemplate, int system);
// The label of a template beside a numeric entry field.
QString FieldUnitLabel(const QString& unitTemplate, int system);
// The label of a template on a plot axis.
QString AxisUnitLabel(const QString& unitTemplate, int system);

// The factor that converts a value of the template from system `from` to
// system `to`: multiply an SI value by UnitFactor(t, kSI, kEnglish) to get
// the English one. 1 when the systems are equal or either is not English
// or SI.
long double UnitFactor(const QString& unitTemplate, int from, int to);

}  // namespace terva::gui
