#pragma once

#include <QPlainTextEdit>

namespace kalmoro {

// The program field NcPr: a plain text edit that refuses a paste or a drop which would make a line no
// program has (LongLine.h), and says so instead.
class ProgramEdit : public QPlainTextEdit {
  Q_OBJECT

 public:
  explicit ProgramEdit(QWidget* parent = nullptr) : QPlainTextEdit(parent) {}

 signals:
  // A paste or a drop was refused; the message says why.
  void InsertRefused(const QString& message);

 protected:
  void insertFromMimeData(const QMimeData* source) override;
};

}  // namespace kalmoro
