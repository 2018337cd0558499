#pragma once

#include <QDialog>
#include <QString>
#include <optional>
#include <string>

#include "holes/DieOpening.h"
#include "nc/Relief.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace kalmoro {

inline constexpr const char* kDieTitle = "Матрица";

// A die opening on the round or the rectangle page: worked out from its punch (the punch's size, and the
// clearance per side typed or the sheet and its material from the table), and a land with relief below
// it. The texts as typed; the numbers are read as the command line reads its options.
struct DieChoice {
  bool fromPunch = false;
  std::string punchWidth = "10", punchHeight = "5", punchRadius = "0";  // a round punch: its diameter first
  std::string clearance, sheet = "2";
  std::string material = "mild-steel";
  bool relief = false;
  std::string land = "3", angle = "1", thickness = "20";

  ClearanceTexts Clearance() const { return {clearance, sheet, material}; }
  // The die from the punch, or why there is none.
  DieResult Die(bool round) const;
  // The relief when one is chosen.
  std::optional<Relief> ReliefOf() const;
};

// The choice as the page shows it beside its button: the die's sum ("Ø10 + 2 × 0.25 = Ø10.5 мм",
// "пуансон + 2 × 0.25 = 20.5 × 10.5 R2.25 мм"), or "размер — из полей страницы", and the relief
// ("поясок 3 мм, осв. 1°, T20"). DieDetails: the die's whole arithmetic with the clearance's origin, or
// nothing without a punch.
QString DieSummary(const DieChoice& die, bool round);
QString DieDetails(const DieChoice& die, bool round);

// The dialog "Матрица…": the punch and its clearance with the die's arithmetic shown as they are typed,
// and the land with its relief. "ОК" takes a die whose punch or clearance is refused only after saying
// why in the dialog; the relief's own refusals are the generator's, shown when the page writes the
// program.
class DieDialog : public QDialog {
  Q_OBJECT

 public:
  DieDialog(const DieChoice& die, bool round, QWidget* parent = nullptr);

  const DieChoice& Chosen() const { return m_chosen; }

 private:
  DieChoice Current() const;
  void ShowArithmetic();
  void Take();

  bool m_round;
  QCheckBox* m_fromPunch;
  QLineEdit* m_punchWidth;
  QLineEdit* m_punchHeight = nullptr;
  QLineEdit* m_punchRadius = nullptr;
  QLineEdit* m_clearance;
  QLineEdit* m_sheet;
  QComboBox* m_material;
  QLabel* m_arithmetic;
  QCheckBox* m_relief;
  QLineEdit* m_land;
  QLineEdit* m_angle;
  QLineEdit* m_thickness;
  DieChoice m_chosen;
};

}  // namespace kalmoro
