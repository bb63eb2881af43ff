#include "service_process.h"

#include <QDeadlineTimer>
#include <QRegularExpression>
#include <QTcpServer>

namespace testing_support {

ServiceProcess::ServiceProcess() {
    process_.setProcessChannelMode(QProcess::SeparateChannels);
}

ServiceProcess::~ServiceProcess() {
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.terminate();
    if (!process_.waitForFinished(10000)) {
        process_.kill();
        process_.waitForFinished(5000);
    }
}

bool ServiceProcess::Start() {
    process_.start(
        QStringLiteral(OCRGATED_PATH),
        {QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0"), QStringLiteral("--threads"),
         QStringLiteral("1"), QStringLiteral("--allow-private-urls")});
    if (!process_.waitForStarted(10000))
        return false;
    static const QRegularExpression listening(
        QStringLiteral("listening on http://127\\.0\\.0\\.1:(\\d+)/"));
    const QDeadlineTimer deadline(60000);
    while (!deadline.hasExpired() && process_.state() == QProcess::Running) {
        process_.waitForReadyRead(200);
        log_ += QString::fromUtf8(process_.readAllStandardError());
        const QRegularExpressionMatch match = listening.match(log_);
        if (match.hasMatch()) {
            port_ = match.captured(1).toInt();
            // Keep draining its log, so that the service never blocks on a full pipe.
            QObject::connect(&process_, &QProcess::readyReadStandardError, &process_,
                             [this] { log_ += QString::fromUtf8(process_.readAllStandardError()); });
            return port_ > 0;
        }
    }
    return false;
}

QString ServiceProcess::Endpoint() const {
    return QStringLiteral("http://127.0.0.1:%1/ocrgate/ocrgate.asmx?WSDL").arg(port_);
}

QString DeadEndpoint() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    return QStringLiteral("http://127.0.0.1:%1/ocrgate/ocrgate.asmx?WSDL").arg(port);
}

}  // namespace testing_support
