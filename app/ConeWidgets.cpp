#include "ConeWidgets.h"

#include <QLabel>
#include <QLineEdit>
#include <QPalette>

namespace kalmoro {

ConeWidgets::ConeWidgets(const Widgets& widgets)
    : m_edits{widgets.h, widgets.dUp, widgets.dDown, widgets.ang}, m_w(widgets) {}

std::string ConeWidgets::Text(ConeField field) const {
  return Edit(field)->text().toStdString();
}

void ConeWidgets::SetText(ConeField field, const std::string& text) {
  QLineEdit* edit = Edit(field);
  edit->setText(QString::fromStdString(text));
  // setText leaves the caret at the end, and a narrow field then shows only the end of a long
  // number ("534.898" of "1534.898"). A field the user is not typing in shows its text from the start.
  if (!edit->hasFocus()) edit->setCursorPosition(0);
}

ConeSource ConeWidgets::Source(ConeField field) const {
  return Edit(field)->palette().color(QPalette::Active, QPalette::Base) == kGivenColor ? ConeSource::Given
                                                                                       : ConeSource::Derived;
}

void ConeWidgets::SetSource(ConeField field, ConeSource source) {
  QLineEdit* edit = Edit(field);
  QPalette palette = edit->palette();
  // All colour groups, so that a disabled angle field shows the same white.
  palette.setColor(QPalette::Base, source == ConeSource::Given ? kGivenColor : kDerivedColor);
  edit->setPalette(palette);
}

void ConeWidgets::SetAngEnabled(bool enabled) {
  m_w.ang->setEnabled(enabled);
}

void ConeWidgets::ShowPicture(ConePicture picture) {
  const QLabel* store = m_w.equal;
  if (picture == ConePicture::UpperWider) store = m_w.upperWider;
  if (picture == ConePicture::UpperNarrower) store = m_w.upperNarrower;
  m_w.inView->setPixmap(store->pixmap());
}

std::optional<ConeField> ConeWidgets::FieldOf(const QObject* widget) const {
  for (std::size_t i = 0; i < m_edits.size(); ++i) {
    if (m_edits[i] == widget) return static_cast<ConeField>(i);
  }
  return std::nullopt;
}

}  // namespace kalmoro
