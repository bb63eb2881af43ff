#include "picture_server.h"

namespace testing_support {

PictureServer::PictureServer(Mode mode, QByteArray body, QByteArray contentType)
    : mode_(mode), body_(std::move(body)), contentType_(std::move(contentType)) {
    connect(this, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = nextPendingConnection()) {
            ++requests_;
            if (mode_ == Mode::Stall) {
                held_ << socket;
                continue;
            }
            connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { Answer(socket); });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
}

bool PictureServer::Listen() {
    return listen(QHostAddress::LocalHost, 0);
}

QString PictureServer::Url(const QString& path) const {
    return QStringLiteral("http://127.0.0.1:%1%2").arg(serverPort()).arg(path);
}

void PictureServer::Answer(QTcpSocket* socket) {
    socket->readAll();
    socket->write("HTTP/1.1 200 OK\r\nContent-Type: " + contentType_ +
                  "\r\nConnection: close\r\nContent-Length: " + QByteArray::number(body_.size()) +
                  "\r\n\r\n" + body_);
    socket->disconnectFromHost();
}

void PictureServer::Release() {
    for (const QPointer<QTcpSocket>& socket : held_) {
        if (socket)
            socket->abort();
    }
    held_.clear();
}

}  // namespace testing_support
