#include "gui/forms/harmonic.hpp"

#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

namespace terva::gui {

namespace {
using namespace field_units;
using P = TProgramData;

std::vector<TFieldDecl> Loads(int quadratic, const std::vector<const char*>& captions) {
  std::vector<TFieldDecl> decls;
  const char* names[] = {"LoadX", "LoadY", "LoadZ", "MomentX", "MomentY", "MomentZ"};
  for (int i = 0; i < 6; ++i)
    decls.push_back(Element(names[i], QString::fromLatin1(captions[i]), TProgramData::HarmonicLoadTemplate(i, quadratic),
                            &P::HarmonicLoads, i));
  return decls;
}
}  // namespace

THarmonicForm::THarmonicForm(const TFormContext& context, int quadratic, QWidget* parent)
    : TDataForm(context,
                quadratic == 1 ? QStringLiteral("Harmonic Loading Data, Quadratic")
                               : QStringLiteral("Harmonic Loading Data, NonQuadratic"),
                parent),
      quadratic_(quadratic) {
  QGroupBox* frequencies = AddGroup(QStringLiteral("Frequencies"),
                                    {Real("FreqMax", "Maximum Frequency", kFrequency, &P::FreqMax),
                                     Real("FreqMin", "Minimum Frequency", kFrequency, &P::FreqMin),
                                     Real("FreqStep", "Step frequency (incremental frequency)", kFrequency, &P::FreqStep)});
  QGroupBox* loads =
      quadratic == 1
          ? AddGroup(QStringLiteral("Force and moment coefficients"),
                     Loads(1, {"Force Coefficient in X-direction", "Force Coefficient in Y-direction",
                               "Force Coefficient in Z-direction", "Moment Coefficient about X-axis ",
                               "Moment Coefficient about Y-axis", "Moment about Z-axis"}))
          : AddGroup(QStringLiteral("Forces and moments"),
                     Loads(0, {"Force in X-direction", "Force in Y-direction", "Force in Z-direction",
                               "Moment about X-axis ", "Moment about Y-axis", "Moment about Z-axis"}));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(frequencies);
  layout->addWidget(loads);
  if (quadratic == 1) {
    auto* note = new QLabel(QStringLiteral("Note: Force (or Moment) is equal to the Force (Moment) Coefficient "
                                           "times the square of the frequency."),
                            this);
    note->setObjectName(QStringLiteral("QuadraticNote"));
    note->setWordWrap(true);
    layout->addWidget(note);
  }
  FinishLayout();
}

void THarmonicForm::SetKind() {
  if (Project().Quadratic == quadratic_) return;
  Project().Quadratic = quadratic_;
  emit Modified();
}

void THarmonicForm::LoadExtras() { SetKind(); }
void THarmonicForm::StoreExtras() { SetKind(); }

Tfrmharmonic::Tfrmharmonic(const TFormContext& context, QWidget* parent) : THarmonicForm(context, 0, parent) {}

}  // namespace terva::gui
