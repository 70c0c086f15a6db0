// varpen-viewer: plays one channel in a window so that a person can try the engine.
//   varpen-viewer SOURCE GROUP NUMBER FROM TO [--at TIME] [--type T] [--screenshot PNG --after S]
// SOURCE is a recorder disk (image file or device) or a local recording folder; GROUP is the
// channel group of a local folder (ignored on a disk); NUMBER the 0-based channel; times are
// "yyyy-MM-dd hh:mm:ss", "yyyy-MM-ddThh:mm:ss" or seconds since 1970.
//
// Keys: Space pause/resume, + / - speed, N normal speed, . / , one frame forward / back,
// S snapshot, C clip on/off, M sound on/off, Z whole picture, Q quit; drag a rectangle to zoom.
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QTextStream>
#include <QTimer>
#include <QVBoxLayout>

#include <cstdio>
#include <ctime>

#include "engine/LocalIndex.h"
#include "engine/PlayBackInteraction.h"
#include "platform/vrend/VideoSurface.h"

namespace {

time_t ParseTime(const QString& text)
{
    bool isNumber = false;
    const qlonglong seconds = text.toLongLong(&isNumber);
    if (isNumber)
        return static_cast<time_t>(seconds);
    for (const char* format : {"yyyy-MM-dd hh:mm:ss", "yyyy-MM-ddThh:mm:ss", "yyyyMMddhhmmss"}) {
        const QDateTime dt = QDateTime::fromString(text, QLatin1String(format));
        if (dt.isValid())
            return static_cast<time_t>(dt.toSecsSinceEpoch());
    }
    return -1;
}

QString TimeText(time_t t)
{
    if (t < 0)
        return QStringLiteral("--");
    return QDateTime::fromSecsSinceEpoch(t).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

// The play window: the surface, a status line, and the zoom rectangle being dragged.
class ViewerWindow : public QWidget {
public:
    ViewerWindow(CPlayBackInteraction& engine, time_t startAt) : m_engine(engine), m_startAt(startAt)
    {
        setWindowTitle(QStringLiteral("varpen-viewer"));
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        m_surface = new VideoSurface(this);
        m_surface->setMinimumSize(640, 360);
        m_surface->installEventFilter(this);
        m_status = new QLabel(this);
        layout->addWidget(m_surface, 1);
        layout->addWidget(m_status);
        resize(800, 480);
        m_engine.SetDrawCallback(&ViewerWindow::DrawZoom, this);
        connect(&m_poll, &QTimer::timeout, this, [this] { UpdateStatus(); });
        m_poll.start(300);
    }

    bool Start()
    {
        const bool ok = m_engine.StartPlayback(m_surface->surfaceId(), m_startAt);
        UpdateStatus();
        return ok;
    }

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        switch (event->key()) {
        case Qt::Key_Space:
            m_engine.Pause(!m_engine.IsPaused());
            break;
        case Qt::Key_Plus:
        case Qt::Key_Equal:
            m_engine.SetSpeed(std::min(3, m_engine.GetSpeed() + 1));
            break;
        case Qt::Key_Minus:
            m_engine.SetSpeed(std::max(-3, m_engine.GetSpeed() - 1));
            break;
        case Qt::Key_N:
            m_engine.NormalSpeed();
            break;
        case Qt::Key_Period:
            m_engine.StepForward();
            break;
        case Qt::Key_Comma:
            m_engine.StepBackward();
            break;
        case Qt::Key_S:
            // Carried out on the engine's output worker; the status line says the outcome.
            m_message = m_engine.Snapshot() ? QStringLiteral("snapshot...") : QStringLiteral("Snapshot failed.");
            break;
        case Qt::Key_C:
            if (m_engine.IsClipping()) {
                m_engine.StopClip();
                m_message = QStringLiteral("clip...");
            } else {
                m_engine.StartClip();
                m_message = QStringLiteral("clip starting...");
            }
            break;
        case Qt::Key_M:
            if (m_engine.IsVoiceOpen())
                m_engine.CloseSound();
            else
                m_engine.OpenSound();
            break;
        case Qt::Key_Z:
            m_engine.SetDisplayRegion(0, 0, 0, 0);
            break;
        case Qt::Key_Q:
        case Qt::Key_Escape:
            close();
            break;
        default:
            QWidget::keyPressEvent(event);
            return;
        }
        UpdateStatus();
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != m_surface)
            return false;
        if (event->type() == QEvent::MouseButtonPress) {
            m_dragFrom = m_dragTo = static_cast<QMouseEvent*>(event)->position().toPoint();
            m_dragging = true;
        } else if (event->type() == QEvent::MouseMove && m_dragging) {
            m_dragTo = static_cast<QMouseEvent*>(event)->position().toPoint();
            m_surface->update();
        } else if (event->type() == QEvent::MouseButtonRelease && m_dragging) {
            m_dragging = false;
            const QRect r = QRect(m_dragFrom, m_dragTo).normalized();
            const double w = m_surface->width(), h = m_surface->height();
            if (r.width() > 4 && r.height() > 4)
                m_engine.SetDisplayRegion(float(r.left() / w), float(r.top() / h), float(r.right() / w),
                                          float(r.bottom() / h));
            m_surface->update();
        }
        return false;
    }

private:
    // Called by the surface after each painted frame, on the GUI thread.
    static void DrawZoom(int, QPainter* painter, void* user)
    {
        auto* self = static_cast<ViewerWindow*>(user);
        if (!self->m_dragging || !painter)
            return;
        painter->setPen(QPen(Qt::yellow, 1));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(QRect(self->m_dragFrom, self->m_dragTo).normalized());
    }

    void UpdateStatus()
    {
        for (const Varpen::OutputResult& r : m_engine.TakeOutputResults()) {
            const QString path = QString::fromLocal8Bit(r.path.c_str());
            if (r.kind == Varpen::OutputResult::Snapshot)
                m_message = r.ok ? QStringLiteral("snapshot %1").arg(path) : QStringLiteral("Snapshot failed.");
            else if (r.kind == Varpen::OutputResult::ClipStarted)
                m_message = r.ok ? QStringLiteral("clipping") : QStringLiteral("Clip failed.");
            else
                m_message = r.ok ? QStringLiteral("clip %1").arg(path) : QStringLiteral("Clip failed.");
        }
        QString state = m_engine.IsPlaying()
                            ? (m_engine.IsPaused() ? QStringLiteral("paused") : QStringLiteral("playing"))
                            : QStringLiteral("stopped");
        if (m_engine.IsStepping())
            state = QStringLiteral("stepping");
        if (m_engine.IsEndOfList())
            state = QStringLiteral("end of recordings");
        if (m_engine.GetPlayError() != 0)
            state = QStringLiteral("error %1").arg(m_engine.GetPlayError());
        m_status->setText(QStringLiteral("%1  %2  speed %3  %4%5  %6")
                              .arg(TimeText(m_engine.GetCurrentTime()), state)
                              .arg(m_engine.GetSpeed())
                              .arg(m_engine.IsVoiceOpen() ? QStringLiteral("sound") : QStringLiteral("mute"),
                                   m_engine.IsClipping() ? QStringLiteral("  clipping") : QString(), m_message));
    }

    CPlayBackInteraction& m_engine;
    time_t m_startAt;
    VideoSurface* m_surface = nullptr;
    QLabel* m_status = nullptr;
    QTimer m_poll;
    QString m_message;
    bool m_dragging = false;
    QPoint m_dragFrom;
    QPoint m_dragTo;
};

}  // namespace

int main(int argc, char** argv)
{
    tzset();
    QApplication app(argc, argv);
    QStringList args = app.arguments();
    args.removeFirst();
    QTextStream err(stderr);
    time_t at = -1;
    int type = 0;
    QString screenshot;
    int after_s = 3;
    QStringList positional;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--at") && i + 1 < args.size())
            at = ParseTime(args[++i]);
        else if (args[i] == QLatin1String("--type") && i + 1 < args.size())
            type = args[++i].toInt();
        else if (args[i] == QLatin1String("--screenshot") && i + 1 < args.size())
            screenshot = args[++i];
        else if (args[i] == QLatin1String("--after") && i + 1 < args.size())
            after_s = args[++i].toInt();
        else
            positional << args[i];
    }
    if (positional.size() != 5) {
        err << "usage: varpen-viewer SOURCE GROUP NUMBER FROM TO [--at TIME] [--type T] [--screenshot PNG --after S]\n";
        return 2;
    }
    const QString source = positional[0];
    const time_t from = ParseTime(positional[3]);
    const time_t to = ParseTime(positional[4]);
    if (from < 0 || to < 0) {
        err << "varpen-viewer: bad time\n";
        return 2;
    }
    const bool local = Varpen::IsLocalRecordingFolder(source.toStdString());

    CPlayBackInteraction engine;
    engine.SetChannel(Varpen::CChannel(positional[2].toInt(), positional[1]));
    engine.SetUseIndex(local);
    Varpen::SingleFileList files;
    if (!engine.SearchFiles(files, source.toLocal8Bit().toStdString(), from, to, type) || files.empty()) {
        err << "varpen-viewer: no recordings found\n";
        return 1;
    }
    ViewerWindow window(engine, at >= 0 ? at : files.front()->GetStartTime());
    window.show();
    if (!window.Start())
        err << "varpen-viewer: playback did not start (error " << engine.GetPlayError() << ")\n";
    // For a check without a person: save the window after a while and quit.
    if (!screenshot.isEmpty()) {
        QTimer::singleShot(after_s * 1000, &window, [&] {
            window.grab().save(screenshot);
            app.quit();
        });
    }
    return app.exec();
}
