#pragma once

#include <QDialog>
#include <QString>

#include "nc/PassOptions.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace kalmoro {

inline constexpr const char* kPassesTitle = "Проходы";
inline constexpr const char* kMsgStopText =
    "Стоп — длина в мм до замыкания чернового контура, число не меньше 0 (0 — без остановки), например 15.";

// The passes as a page shows them beside its button: "1 черновой + 2 чистовых, стоп 15 мм", with ", в
// одну сторону" when skims do not alternate.
QString PassSummary(const PassOptions& passes);

// The dialog "Проходы…": how many skims follow the rough pass (0–4), how far before its contour closes the
// rough pass stops to hold the slug (0: it does not), and whether the skims alternate their direction.
// "ОК" checks the stop's text and accepts; a text that is no length is named and nothing is taken.
class PassDialog : public QDialog {
  Q_OBJECT

 public:
  explicit PassDialog(const PassOptions& passes, QWidget* parent = nullptr);

  // The passes chosen, once the dialog is accepted.
  const PassOptions& Chosen() const { return m_chosen; }

 private:
  void Take();

  QSpinBox* m_skims;
  QLineEdit* m_stop;
  QComboBox* m_direction;
  QLabel* m_error;
  PassOptions m_chosen;
};

}  // namespace kalmoro
