#pragma once

#include <QColor>
#include <array>
#include <optional>

#include "fields/ConeSolver.h"

class QLabel;
class QObject;
class QLineEdit;

namespace kalmoro {

// The cone solver's view of the cone page: the four real fields, their background colours (the
// palette's Base role, exactly as set) and the picture in view, which takes the pixmap of one of the
// three hidden stores.
// The window shows a value the user gave on pale cyan, a derived one (or none yet) on white.
inline const QColor kGivenColor(192, 255, 255);
inline const QColor kDerivedColor(255, 255, 255);

class ConeWidgets : public ConeFields {
 public:
  struct Widgets {
    QLineEdit* h;
    QLineEdit* dUp;
    QLineEdit* dDown;
    QLineEdit* ang;
    QLabel* inView;
    QLabel* upperWider;
    QLabel* upperNarrower;
    QLabel* equal;
  };
  explicit ConeWidgets(const Widgets& widgets);

  std::string Text(ConeField field) const override;
  // Sets the field's text; its change binding runs the character check. Unless the field has the
  // focus, it then shows its text from the first character.
  void SetText(ConeField field, const std::string& text) override;
  ConeSource Source(ConeField field) const override;
  void SetSource(ConeField field, ConeSource source) override;
  void SetAngEnabled(bool enabled) override;
  // Before the first key release (None) the drawing of equal holes is shown.
  void ShowPicture(ConePicture picture) override;

  // The field the widget is, if it is one of the four.
  std::optional<ConeField> FieldOf(const QObject* widget) const;

 private:
  QLineEdit* Edit(ConeField field) const { return m_edits[static_cast<std::size_t>(field)]; }

  std::array<QLineEdit*, 4> m_edits;
  Widgets m_w;
};

}  // namespace kalmoro
