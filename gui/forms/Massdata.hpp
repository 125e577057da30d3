// "Mass Data" and the mass calculator that it shares with "Pile Cap
// Properties": the footing's mass constants typed in, or computed from the
// mass components table.
#pragma once

#include "gui/forms/DataForm.hpp"

class QPlainTextEdit;
class QPushButton;

namespace terva::gui {

// The mass window's content and behaviour; the two windows differ in their
// caption and in the caption of the total mass.
class TMassForm : public TDataForm {
  Q_OBJECT

 public:
  TMassForm(const TFormContext& context, const QString& caption, const QString& massCaption,
            QWidget* parent = nullptr);

  // "Calculate mass moment of inertia": computes the constants from the
  // mass components table and shows them. False (nothing changed) when a
  // base-centre field does not hold a value.
  bool Calculate();
  // Set by Calculate; lives with the window.
  bool Calculated() const { return calculated_; }

  QPushButton* InputButton() const { return input_; }
  QPushButton* CalculateButton() const { return calculate_; }

 protected:
  void StoreExtras() override;

 private:
  QPushButton* input_ = nullptr;
  QPushButton* calculate_ = nullptr;
  bool calculated_ = false;
};

class TfrmMassdata : public TMassForm {
  Q_OBJECT

 public:
  explicit TfrmMassdata(const TFormContext& context, QWidget* parent = nullptr);
};

}  // namespace terva::gui
