#include "app/preview/FieldReader.h"

#include <sys/resource.h>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <system_error>
#include <utility>

namespace kalmoro {
namespace {

constexpr int kReaderNice = 10;

}  // namespace

FieldReader::FieldReader(QPlainTextEdit& field, QObject* parent)
    : QObject(parent), m_field(&field), m_text(field.document()->toRawText()) {
  m_kick.setSingleShot(true);
  m_kick.setInterval(0);
  connect(&m_kick, &QTimer::timeout, this, &FieldReader::Start);
  connect(field.document(), &QTextDocument::contentsChange, this, &FieldReader::Changed);
  m_kick.start();
}

FieldReader::~FieldReader() {
  if (m_task.valid()) m_task.wait();
}

void FieldReader::Changed(int from, int removed, int added) {
  if (!m_field) return;
  // The document counts one character more than its raw text holds, and may report an edit of the
  // whole text with it; what the edit put in is read back from the document.
  const QTextDocument* document = m_field->document();
  const int length = document->characterCount() - 1;
  const auto kept = static_cast<int>(m_text.size());
  if (from >= 0 && from <= kept && removed >= 0 && added >= 0 && from <= length) {
    QTextCursor cursor(m_field->document());
    cursor.setPosition(from);
    cursor.setPosition(std::min(from + added, length), QTextCursor::KeepAnchor);
    m_text.replace(from, std::min(removed, kept - from), cursor.selectedText());
  }
  // Should the two ever disagree in length, the text is taken whole again.
  if (m_text.size() != length) m_text = document->toRawText();
  Invalidate();
}

void FieldReader::Invalidate() {
  ++m_version;
  if (!m_kick.isActive()) m_kick.start();
}

void FieldReader::SetMachine(const MachineProfile& machine) {
  m_machine = machine;
  Invalidate();
}

void FieldReader::Start() {
  if (!m_field || m_task.valid() || LatestIsCurrent()) return;
  // A shared copy: the next edit copies the text once, the reading never touches the document.
  const QString raw = m_text;
  const std::uint64_t task = ++m_tasks;
  m_taskVersion = m_version;
  try {
    m_task = std::async(std::launch::async, [this, raw, machine = m_machine, version = m_version, task] {
      // Background work: where it competes for a core with the window's thread, the window goes first.
      // (On Linux the nice value is the calling thread's; it can only be raised, never lowered back.)
      ::setpriority(PRIO_PROCESS, 0, kReaderNice);
      std::shared_ptr<const FieldReading> read = ReadFieldText(raw, machine, version);
      // Delivered on the window's thread; the destructor waits for this task, so `this` is alive here.
      QMetaObject::invokeMethod(
          this, [this, task] { Finished(task); }, Qt::QueuedConnection);
      return read;
    });
  } catch (const std::system_error&) {
    // No thread to be had: read here and now.
    Publish(ReadFieldText(raw, m_machine, m_version));
  }
}

void FieldReader::Finished(std::uint64_t task) {
  // A report of a task that Current() has taken over, or of one before it.
  if (task != m_tasks || !m_task.valid()) return;
  std::shared_ptr<const FieldReading> read = m_task.get();
  if (read->version == m_version)
    Publish(std::move(read));
  else
    Start();  // the text changed meanwhile: read the newest one
}

std::shared_ptr<const FieldReading> FieldReader::Current() {
  if (!m_field) return m_latest ? m_latest : std::make_shared<const FieldReading>();
  // What is saved or printed is the field's own text: the text kept edit by edit must be it.
  const QString raw = m_field->document()->toRawText();
  if (raw != m_text) {
    m_text = raw;
    Invalidate();
  }
  if (LatestIsCurrent()) return m_latest;
  if (m_task.valid() && m_taskVersion == m_version) {
    Publish(m_task.get());
    return m_latest;
  }
  Publish(ReadFieldText(raw, m_machine, m_version));
  return m_latest;
}

void FieldReader::Publish(std::shared_ptr<const FieldReading> reading) {
  m_latest = std::move(reading);
  emit Read(m_latest);
}

}  // namespace kalmoro
