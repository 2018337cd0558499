#pragma once

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QString>
#include <string>

// Pieces the window's small dialogs share, so that they look and answer alike.
namespace kalmoro {

// A number as a field holds it, for the core to read: blanks around it dropped, a decimal comma taken for
// the point.
inline QString TypedNumber(const QString& text) {
  return text.trimmed().replace(QLatin1Char(','), QLatin1Char('.'));
}
inline std::string TypedNumber(const QLineEdit* field) {
  return TypedNumber(field->text()).toStdString();
}

// A hidden red label for a dialog's refusal, shown under its fields when a value is refused.
inline QLabel* ErrorLabel(QWidget* parent) {
  auto* error = new QLabel(parent);
  error->setObjectName(QStringLiteral("Error"));
  error->setWordWrap(true);
  error->setStyleSheet(QStringLiteral("color:#c62828"));
  error->hide();
  return error;
}

// The dialog's accept button (named okName for the tests, the default when okIsDefault) and "Отмена",
// which rejects. Accepting calls onAccept, which decides whether the dialog closes.
template <typename OnAccept>
QDialogButtonBox* AcceptCancelButtons(QDialog* dialog, const QString& okText, const QString& okName,
                                      bool okIsDefault, OnAccept onAccept) {
  auto* buttons = new QDialogButtonBox(dialog);
  QPushButton* ok = buttons->addButton(okText, QDialogButtonBox::AcceptRole);
  ok->setObjectName(okName);
  ok->setDefault(okIsDefault);
  QPushButton* cancel = buttons->addButton(QStringLiteral("Отмена"), QDialogButtonBox::RejectRole);
  cancel->setObjectName(QStringLiteral("Cancel"));
  QObject::connect(ok, &QPushButton::clicked, dialog, onAccept);
  QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
  return buttons;
}

}  // namespace kalmoro
