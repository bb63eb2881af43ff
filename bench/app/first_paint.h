#pragma once
// Reports "shown" on stdout once a window has painted and `ready` holds, then ends the
// process at once: the timing stops there, and tearing down is not part of it.

#include <QEvent>
#include <QObject>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <functional>
#include <unistd.h>

class FirstPaint : public QObject {
public:
    FirstPaint(QWidget* window, std::function<bool()> ready) : ready_(std::move(ready)) {
        window->installEventFilter(this);
        connect(&poll_, &QTimer::timeout, this, [this] { Check(); });
        poll_.start(1);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) painted_ = true;
        return QObject::eventFilter(watched, event);
    }

private:
    void Check() {
        if (!painted_ || !ready_()) return;
        std::fputs("shown\n", stdout);
        std::fflush(stdout);
        _exit(0);
    }

    std::function<bool()> ready_;
    QTimer poll_;
    bool painted_ = false;
};
