#pragma once
// Reports "shown" on stdout once a window has painted and `ready` holds, then ends the
// process at once: the timing stops there, and tearing down is not part of it.

#include <QApplication>
#include <QEvent>
#include <QObject>
#include <QTimer>
#include <QWidget>

#include <unistd.h>
#include <cstdio>
#include <functional>

class FirstPaint : public QObject {
  public:
    FirstPaint(QWidget* window, std::function<bool()> ready)
        : window_(window), ready_(std::move(ready)) {
        // Any widget of the window counts: a browser view paints through a child of its own.
        qApp->installEventFilter(this);
        connect(&poll_, &QTimer::timeout, this, [this] { Check(); });
        poll_.start(1);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            const auto* widget = qobject_cast<const QWidget*>(watched);
            if (widget && widget->window() == window_)
                painted_ = true;
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    void Check() {
        if (!painted_ || !ready_())
            return;
        std::fputs("shown\n", stdout);
        std::fflush(stdout);
        _exit(0);
    }

    const QWidget* window_;
    std::function<bool()> ready_;
    QTimer poll_;
    bool painted_ = false;
};
