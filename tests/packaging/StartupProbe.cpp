// A Qt plugin the start-up test loads into the real program (QT_QPA_GENERIC_PLUGINS=kalmorostartupprobe):
// once the main window is exposed on the offscreen screen, it prints what the test checks and ends the
// program the normal way, through the event loop.
#include <QCoreApplication>
#include <QEvent>
#include <QGenericPlugin>
#include <QGuiApplication>
#include <QWindow>
#include <cstdio>

namespace {

class StartupProbe : public QObject {
 public:
  using QObject::QObject;

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (m_reported || event->type() != QEvent::Expose) return false;
    auto* window = qobject_cast<QWindow*>(watched);
    if (!window || !window->isExposed()) return false;
    m_reported = true;
    std::printf("title=%s\n", window->title().toUtf8().constData());
    std::printf("yes=%s\n", QCoreApplication::translate("QPlatformTheme", "&Yes").toUtf8().constData());
    std::printf("desktop=%s\n", QGuiApplication::desktopFileName().toUtf8().constData());
    std::fflush(stdout);
    QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit, Qt::QueuedConnection);
    return false;
  }

 private:
  bool m_reported = false;
};

}  // namespace

class StartupProbePlugin : public QGenericPlugin {
  Q_OBJECT
  Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "StartupProbe.json")

 public:
  QObject* create(const QString& key, const QString&) override {
    if (key.compare(QLatin1String("kalmorostartupprobe"), Qt::CaseInsensitive) != 0) return nullptr;
    auto* probe = new StartupProbe;  // the application deletes the objects its generic plugins create
    QCoreApplication::instance()->installEventFilter(probe);
    return probe;
  }
};

#include "StartupProbe.moc"
