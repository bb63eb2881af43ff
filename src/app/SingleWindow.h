#pragma once
// One window per user: the first start listens on a local socket of the user's own; a later
// start hands its work (a capture, a file to open) to that window and exits.

#include <QObject>
#include <QString>

class QLocalServer;

namespace quillory {

// What a start asks of the window.
struct WindowWork {
    bool capture = false;  // capture a screen region and recognise it
    QString file;          // a picture file to open, as an absolute path
};

class SingleWindow : public QObject {
    Q_OBJECT
  public:
    // The socket of the user's window: in the user's runtime folder, else named for the user.
    static QString DefaultName();

    explicit SingleWindow(QString name = DefaultName(), QObject* parent = nullptr);
    ~SingleWindow() override;

    // Gives the work to a window that already runs; false when none answers.
    bool HandOver(const WindowWork& work);
    // Becomes the user's window. A start that finds a window meanwhile returns false.
    bool Listen();

  signals:
    void workArrived(const quillory::WindowWork& work);

  private:
    void Receive();

    QString name_;
    QLocalServer* server_ = nullptr;
};

}  // namespace quillory
