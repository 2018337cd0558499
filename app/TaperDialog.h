#pragma once

#include <QDialog>
#include <QString>
#include <string>

#include "nc/CornerMode.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace kalmoro {

inline constexpr const char* kTaperTitle = "Уклон";

// The taper of the rectangle page: off, or a plate T thick and the full angle, or the top's width from
// which the angle is derived as the command line's --top-width derives it, and how the corners run.
struct TaperChoice {
  bool on = false;
  std::string thickness = "20";
  std::string angle = "1";
  std::string topWidth;
  bool fromTopWidth = false;  // the top's width was typed last: the angle is derived from it
  CornerMode corners = CornerMode::Cylindrical;

  // The full angle the program is written with, for a bottom of the given width: the typed one, or the
  // one the top's width gives ("0" when the plate gives none).
  std::string AngleText(const std::string& widthText) const;
};

// The taper as the page shows it beside its button: "без уклона"; "уклон 1°, T20, углы цилиндрические".
QString TaperSummary(const TaperChoice& taper, const std::string& widthText);

// The dialog "Уклон…" over the page's bottom width, height and corner radius: the plate, the angle or the
// top's width (typing one derives the other, as the cone page derives its fourth value) and the corner
// mode, with the top's size, or the generator's refusal, shown as they are typed.
class TaperDialog : public QDialog {
  Q_OBJECT

 public:
  struct Bottom {
    std::string width, height, radius;
  };
  TaperDialog(const TaperChoice& taper, Bottom bottom, QWidget* parent = nullptr);

  const TaperChoice& Chosen() const { return m_chosen; }

 private:
  TaperChoice Current() const;
  // Derives the angle or the top's width, whichever was not typed last, and shows the top.
  void Derive();

  Bottom m_bottom;
  QCheckBox* m_on;
  QLineEdit* m_thickness;
  QLineEdit* m_angle;
  QLineEdit* m_topWidth;
  QComboBox* m_corners;
  QLabel* m_top;
  bool m_fromTopWidth;
  TaperChoice m_chosen;
};

}  // namespace kalmoro
