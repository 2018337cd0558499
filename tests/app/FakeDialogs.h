#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

#include "app/Dialogs.h"

// Answers the window's dialogs from queued answers and records every box it was asked to show.
class FakeDialogs : public kalmoro::Dialogs {
 public:
  enum class Icon { None, Error, Question, Warning };
  enum class Buttons { Ok, YesNo, SaveDiscardCancel, ProceedCancel };
  struct Message {
    QString title;
    QString text;
    Icon icon;
    Buttons buttons = Buttons::Ok;
    QString action{};  // the button that proceeds, of a ProceedCancel warning
  };

  // The name the next save dialog returns; nothing stands for Cancel. Unqueued dialogs cancel.
  void setNextFileName(std::optional<QString> name) { m_names.append(std::move(name)); }
  // The name the next open dialog returns; nothing stands for Cancel. Unqueued dialogs cancel.
  void setNextOpenName(std::optional<QString> name) { m_openNames.append(std::move(name)); }
  // The name the next export dialog returns; nothing stands for Cancel. Unqueued dialogs cancel.
  void setNextExportName(std::optional<QString> name) { m_exportNames.append(std::move(name)); }
  // The name the next PDF dialog returns; nothing stands for Cancel. Unqueued dialogs cancel.
  void setNextPdfName(std::optional<QString> name) { m_pdfNames.append(std::move(name)); }
  // The answer to the next Yes/No question. An unqueued question is answered No.
  void setNextAnswer(bool yes) { m_answers.append(yes); }
  // The answer to the next warning with a button that proceeds and "Отмена": true proceeds. An unqueued
  // one is answered "Отмена", its default.
  void setNextProceed(bool proceed) { m_proceeds.append(proceed); }
  // The answer to the next Save/Discard/Cancel question. An unqueued one is answered Cancel, which
  // loses nothing.
  void setNextSaveAnswer(kalmoro::SaveAnswer answer) { m_saveAnswers.append(answer); }
  // The next save dialog throws std::runtime_error with this text instead of returning a name.
  void setNextThrow(const QString& what) { m_throw = what; }

  const QList<Message>& messages() const { return m_messages; }
  // Messages of the Yes/No questions only.
  QList<Message> questions() const;
  // Messages of the warnings with a button that proceeds only.
  QList<Message> warnings() const;
  // Messages of the Save/Discard/Cancel questions only.
  QList<Message> saveQuestions() const;
  // The start name each save dialog was opened at.
  const QStringList& saveStarts() const { return m_starts; }
  // The start name each open dialog was opened at.
  const QStringList& openStarts() const { return m_openStarts; }
  // The start name each PDF dialog was opened at.
  const QStringList& pdfStarts() const { return m_pdfStarts; }
  void clearMessages() { m_messages.clear(); }

  void ShowError(const QString& title, const QString& text) override;
  void ShowInfo(const QString& title, const QString& text) override;
  bool AskYesNo(const QString& title, const QString& text) override;
  bool AskProceed(const QString& title, const QString& text, const QString& action) override;
  kalmoro::SaveAnswer AskSaveDiscardCancel(const QString& title, const QString& text) override;
  std::optional<QString> GetSaveFileName(const QString& start) override;
  std::optional<QString> GetOpenFileName(const QString& start) override;
  std::optional<QString> GetExportFileName(const QString& start) override;
  std::optional<QString> GetPdfFileName(const QString& start) override;

 private:
  QList<std::optional<QString>> m_names;
  QList<bool> m_answers;
  QList<bool> m_proceeds;
  QList<kalmoro::SaveAnswer> m_saveAnswers;
  std::optional<QString> m_throw;
  QList<Message> m_messages;
  QStringList m_starts;
  QList<std::optional<QString>> m_openNames;
  QStringList m_openStarts;
  QList<std::optional<QString>> m_exportNames;
  QList<std::optional<QString>> m_pdfNames;
  QStringList m_pdfStarts;
};
