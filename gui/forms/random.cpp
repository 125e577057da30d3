#include "gui/forms/random.hpp"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/model/ProjectTables.hpp"

namespace terva::gui {

using namespace field_units;
using P = TProgramData;

Tfrmrandom::Tfrmrandom(const TFormContext& context, QWidget* parent)
    : TDataForm(context, QStringLiteral("Random Loading Data"), parent) {
  QFormLayout* form = MakeForm();
  AddFields(form, {Real("RandomFreqMax", "Maximum frequency", kFrequency, &P::RandomFreqMax),
                   Real("RandomFreqMin", "Minimum frequency", kFrequency, &P::RandomFreqMin),
                   Count("PointCount", "Number of points to be read", &P::PointCount),
                   Real("ObservationPeriod", "Observation period", "", &P::ObservationPeriod),
                   Count("LoadCount", "Number of spectrum", &P::LoadCount).Min(1).Computed([](const TProgramData&) {
                     return QStringLiteral("The rows of the spectrum table (Data Button)");
                   })});
  data_ = LayOutWithDataButton(form, QStringLiteral("Enter the spectrum coordinates and their spectra"),
                               [](TProjectTables& tables) { return tables.Trandom(); });
}

// The file holds the spectrum table's rows; their count is the number of spectra.
void Tfrmrandom::LoadExtras() {
  if (Tables()) ShowValue(Field(QStringLiteral("LoadCount")), Tables()->Trandom()->RowCount());
}

}  // namespace terva::gui
