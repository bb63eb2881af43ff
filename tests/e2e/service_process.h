#pragma once
// An ocrgated of the test's own, on an ephemeral loopback port, stopped with the object.

#include <QProcess>
#include <QString>

namespace testing_support {

class ServiceProcess {
  public:
    ServiceProcess();
    ~ServiceProcess();
    ServiceProcess(const ServiceProcess&) = delete;
    ServiceProcess& operator=(const ServiceProcess&) = delete;

    // Starts the service and waits (bounded) until it listens. False when it did not.
    bool Start();
    QString Endpoint() const;
    QString Log() const { return log_; }

  private:
    QProcess process_;
    QString log_;
    int port_ = 0;
};

// An endpoint where nothing listens: a port that was free a moment ago.
QString DeadEndpoint();

}  // namespace testing_support
