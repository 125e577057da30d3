// "Pile Properties": the global position of the pile cap, the piles'
// constants and the three pile options.
#pragma once

#include "gui/forms/DataForm.hpp"

class QComboBox;

namespace terva::gui {

class TfrmCPileProperties : public TDataForm {
  Q_OBJECT

 public:
  explicit TfrmCPileProperties(const TFormContext& context, QWidget* parent = nullptr);

  QComboBox* PileHead() const { return head_; }
  QComboBox* PileTip() const { return tip_; }
  QComboBox* InteractionChoice() const { return interaction_; }

 protected:
  void LoadExtras() override;
  void StoreExtras() override;

 private:
  QComboBox* head_ = nullptr;
  QComboBox* tip_ = nullptr;
  QComboBox* interaction_ = nullptr;
};

}  // namespace terva::gui
