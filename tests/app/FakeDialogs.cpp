#include "FakeDialogs.h"

#include <stdexcept>

QList<FakeDialogs::Message> FakeDialogs::questions() const {
  QList<Message> result;
  for (const Message& m : m_messages)
    if (m.buttons == Buttons::YesNo) result.append(m);
  return result;
}

QList<FakeDialogs::Message> FakeDialogs::warnings() const {
  QList<Message> result;
  for (const Message& m : m_messages)
    if (m.buttons == Buttons::ProceedCancel) result.append(m);
  return result;
}

QList<FakeDialogs::Message> FakeDialogs::saveQuestions() const {
  QList<Message> result;
  for (const Message& m : m_messages)
    if (m.buttons == Buttons::SaveDiscardCancel) result.append(m);
  return result;
}

void FakeDialogs::ShowError(const QString& title, const QString& text) {
  m_messages.append({title, text, Icon::Error});
}

void FakeDialogs::ShowInfo(const QString& title, const QString& text) {
  m_messages.append({title, text, Icon::None});
}

bool FakeDialogs::AskYesNo(const QString& title, const QString& text) {
  m_messages.append({title, text, Icon::Question, Buttons::YesNo});
  return !m_answers.isEmpty() && m_answers.takeFirst();
}

bool FakeDialogs::AskProceed(const QString& title, const QString& text, const QString& action) {
  m_messages.append({title, text, Icon::Warning, Buttons::ProceedCancel, action});
  return !m_proceeds.isEmpty() && m_proceeds.takeFirst();
}

kalmoro::SaveAnswer FakeDialogs::AskSaveDiscardCancel(const QString& title, const QString& text) {
  m_messages.append({title, text, Icon::Question, Buttons::SaveDiscardCancel});
  return m_saveAnswers.isEmpty() ? kalmoro::SaveAnswer::Cancel : m_saveAnswers.takeFirst();
}

std::optional<QString> FakeDialogs::GetSaveFileName(const QString& start) {
  m_starts.append(start);
  if (m_throw) {
    const QString what = *m_throw;
    m_throw.reset();
    throw std::runtime_error(what.toStdString());
  }
  if (m_names.isEmpty()) return std::nullopt;
  return m_names.takeFirst();
}

std::optional<QString> FakeDialogs::GetOpenFileName(const QString& start) {
  m_openStarts.append(start);
  if (m_openNames.isEmpty()) return std::nullopt;
  return m_openNames.takeFirst();
}

std::optional<QString> FakeDialogs::GetExportFileName(const QString&) {
  if (m_exportNames.isEmpty()) return std::nullopt;
  return m_exportNames.takeFirst();
}

std::optional<QString> FakeDialogs::GetPdfFileName(const QString& start) {
  m_pdfStarts.append(start);
  if (m_pdfNames.isEmpty()) return std::nullopt;
  return m_pdfNames.takeFirst();
}
