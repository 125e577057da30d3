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
                   Count("LoadCount", "Number of load type to be input", &P::LoadCount)
                       .Computed([](const TProgramData&) {
                         return QStringLiteral("The rows of the load table (Data Button)");
                       })});
  data_ = LayOutWithDataButton(form, QStringLiteral("Enter the load types and their load histories"),
                               [](TProjectTables& tables) { return tables.TLoadtype(); });
}

// The file holds the load table's rows; their count is the number of loads.
void Tfrmtransient::LoadExtras() {
  if (Tables()) ShowValue(Field(QStringLiteral("LoadCount")), Tables()->TLoadtype()->RowCount());
}

}  // namespace terva::gui
