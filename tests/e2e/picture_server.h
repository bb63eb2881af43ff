#pragma once
// A loopback HTTP server of the test's own. In Serve mode it answers every request with one
// picture; in Stall mode it accepts connections and never answers, until Release().

#include <QByteArray>
#include <QList>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

namespace testing_support {

class PictureServer : public QTcpServer {
    Q_OBJECT
  public:
    enum class Mode { Serve, Stall };
    explicit PictureServer(Mode mode, QByteArray body = {}, QByteArray contentType = "image/png");

    bool Listen();  // on 127.0.0.1, an ephemeral port
    QString Url(const QString& path) const;
    int Requests() const { return requests_; }
    // Closes every stalled connection.
    void Release();

  private:
    void Answer(QTcpSocket* socket);

    Mode mode_;
    QByteArray body_;
    QByteArray contentType_;
    int requests_ = 0;
    QList<QPointer<QTcpSocket>> held_;
};

}  // namespace testing_support
