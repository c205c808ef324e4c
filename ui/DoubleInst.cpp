#include "DoubleInst.h"

#include "ui/WaitUntilHidden.h"

#include <QDir>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace orbicap {

namespace {

// Task managers of the common desktops, tried in this order.
const char* const kTaskManagers[] = {"gnome-system-monitor",
                                     "plasma-systemmonitor",
                                     "ksysguard",
                                     "xfce4-taskmanager",
                                     "mate-system-monitor",
                                     "lxtask",
                                     "qps"};

void StartTaskManager() {
    for (const char* program : kTaskManagers) {
        const QString path = QStandardPaths::findExecutable(QString::fromLatin1(program));
        if (!path.isEmpty() && QProcess::startDetached(path, {}))
            return;
    }
}

} // namespace

InstanceLock::InstanceLock() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    lock_ = std::make_unique<QLockFile>(folder + QStringLiteral("/orbicap.lock"));
    // A lock left by a crashed Orbicap is taken over (QLockFile checks the pid).
    lock_->setStaleLockTime(0);
}

bool InstanceLock::Acquire() {
    return lock_->tryLock(0);
}

TMultiInstance::TMultiInstance(QWidget* parent) : QDialog(parent, Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("MultiInstance1"));
    setWindowTitle(QStringLiteral("ORBICAP - Error"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(
        QStringLiteral("Only one instance of this program can be running at any time"), this));
    layout->addWidget(new QLabel(
        QStringLiteral(
            "Before restarting, make sure all open instances of this program are closed"),
        this));
    auto* link = new QLabel(
        QStringLiteral("If required, kill pending instances using the <a href=\"taskmgr\">WIN32 "
                       "TASK MANAGER</a>"),
        this);
    link->setObjectName(QStringLiteral("TaskManagerLink"));
    link->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    connect(link, &QLabel::linkActivated, this, [] { StartTaskManager(); });
    layout->addWidget(link);
    auto* exit = new QPushButton(QStringLiteral("Exit"), this);
    exit->setObjectName(QStringLiteral("ExitButton"));
    connect(exit, &QPushButton::clicked, this, &QWidget::hide);
    layout->addWidget(exit, 0, Qt::AlignHCenter);
}

void MultiInstance1ForceClose() {
    TMultiInstance window;
    window.show();
    if (const QScreen* screen = window.screen())
        window.move(screen->availableGeometry().center() - window.rect().center());
    WaitUntilHidden(&window);
}

} // namespace orbicap
