#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <cstdint>
#include <future>
#include <memory>

#include "app/preview/FieldReading.h"
#include "check/MachineProfile.h"

class QPlainTextEdit;

namespace kalmoro {

// Reads a program field's text after every change, off the typing path: on the next turn of the event
// loop a copy of the text goes to a worker thread, and its reading comes back as Read. While a reading is
// under way, changes only count; when it comes back for a text that has changed since, it is dropped and
// the newest text is read, so that the last reading always wins and no key waits for one. The copy is of
// a text the reader keeps up to date edit by edit, which costs a key no more than the edit itself. What
// must act on the exact text (a save, a print) asks for Current(), which holds the reading against the
// field's own text.
class FieldReader : public QObject {
  Q_OBJECT

 public:
  explicit FieldReader(QPlainTextEdit& field, QObject* parent = nullptr);
  // Waits for a reading under way: the worker never outlives what it reports to.
  ~FieldReader() override;

  // The last reading made; it may be of an earlier text than the field holds now.
  const std::shared_ptr<const FieldReading>& Latest() const { return m_latest; }
  bool LatestIsCurrent() const { return m_latest && m_latest->version == m_version; }
  // The reading of the text as it stands now: the latest when it is of this text, the one under way
  // when it is (waited for), else one made now. Read is emitted for a new one.
  std::shared_ptr<const FieldReading> Current();
  // The version of the field's text, counted up by every change of it or of the machine.
  std::uint64_t Version() const { return m_version; }

  // The machine the text is checked against; a change reads the text again.
  void SetMachine(const MachineProfile& machine);
  const MachineProfile& Machine() const { return m_machine; }

 signals:
  // A reading of the text as it stands now.
  void Read(const std::shared_ptr<const FieldReading>& reading);

 private:
  void Changed(int from, int removed, int added);
  void Invalidate();
  void Start();
  void Finished(std::uint64_t task);
  void Publish(std::shared_ptr<const FieldReading> reading);

  QPointer<QPlainTextEdit> m_field;
  QString m_text;  // the field's raw text (QTextDocument::toRawText), kept edit by edit
  MachineProfile m_machine;
  std::uint64_t m_version = 1;
  std::shared_ptr<const FieldReading> m_latest;
  std::future<std::shared_ptr<const FieldReading>> m_task;  // the reading under way, if any
  std::uint64_t m_taskVersion = 0;                          // the version it reads
  std::uint64_t m_tasks = 0;                                // readings started, to tell their reports apart
  QTimer m_kick;
};

}  // namespace kalmoro
