#include "SingleWindow.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

#include <unistd.h>

namespace quillory {

namespace {

constexpr int kWaitMs = 3000;
// One line each way: the work, then the window's acknowledgement.
constexpr char kCapture[] = "capture";
constexpr char kOpen[] = "open ";
constexpr char kShow[] = "show";
constexpr char kTaken[] = "taken\n";

QByteArray Encode(const WindowWork& work) {
    if (work.capture)
        return QByteArray(kCapture) + '\n';
    if (!work.file.isEmpty())
        return QByteArray(kOpen) + work.file.toUtf8().toPercentEncoding() + '\n';
    return QByteArray(kShow) + '\n';
}

WindowWork Decode(const QByteArray& line) {
    WindowWork work;
    if (line == kCapture)
        work.capture = true;
    else if (line.startsWith(kOpen))
        work.file = QString::fromUtf8(QByteArray::fromPercentEncoding(line.mid(sizeof kOpen - 1)));
    return work;
}

}  // namespace

QString SingleWindow::DefaultName() {
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtime.isEmpty())
        return QDir(runtime).filePath(QStringLiteral("quillory-window"));
    return QDir::temp().filePath(QStringLiteral("quillory-window-%1").arg(getuid()));
}

SingleWindow::SingleWindow(QString name, QObject* parent)
    : QObject(parent), name_(std::move(name)) {}

SingleWindow::~SingleWindow() = default;

bool SingleWindow::HandOver(const WindowWork& work) {
    QLocalSocket socket;
    socket.connectToServer(name_);
    if (!socket.waitForConnected(kWaitMs))
        return false;
    socket.write(Encode(work));
    if (!socket.waitForBytesWritten(kWaitMs))
        return false;
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(kWaitMs))
            return false;
    }
    return socket.readLine() == kTaken;
}

bool SingleWindow::Listen() {
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(name_)) {
        // A socket left by a window that ended without closing it answers nobody.
        QLocalSocket probe;
        probe.connectToServer(name_);
        if (probe.waitForConnected(kWaitMs))
            return false;
        QLocalServer::removeServer(name_);
        if (!server_->listen(name_))
            return false;
    }
    connect(server_, &QLocalServer::newConnection, this, &SingleWindow::Receive);
    return true;
}

void SingleWindow::Receive() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine())
                return;
            const WindowWork work = Decode(socket->readLine().trimmed());
            socket->write(kTaken);
            socket->flush();
            socket->disconnectFromServer();
            emit workArrived(work);
        });
    }
}

}  // namespace quillory
