#pragma once

#include <QLabel>
#include <QTimer>

class QAbstractScrollArea;

namespace kalmoro {

// A note laid over the bottom of the program field that says where the program was saved. It takes
// no room of its own, so the window's fixed layout stays as it is; it goes away by itself after a few
// seconds, on a click, or when the window hides it because the program changed.
class SaveNote : public QLabel {
 public:
  static constexpr int kShownMs = 6000;

  // The note belongs to the field's parent and lies over the field's viewport.
  explicit SaveNote(QAbstractScrollArea& field);

  // Shows the saved file's full name (the start elided when it is too long; the tool tip has it all).
  void ShowSaved(const QString& path);
  // Shows a caption line above a file's full name, elided as above.
  void ShowFileNote(const QString& caption, const QString& path);

 protected:
  void mousePressEvent(QMouseEvent* event) override;

 private:
  QAbstractScrollArea& m_field;
  QTimer m_timer;
};

}  // namespace kalmoro
