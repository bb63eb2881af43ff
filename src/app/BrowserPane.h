#pragma once
// A browser pane: shows a web address or a local file. Pages that do not declare their
// character set are read as GBK, which is how the help page is written.

#include <QString>
#include <QWebEngineView>

namespace quillory {

class BrowserPane : public QWebEngineView {
    Q_OBJECT
  public:
    explicit BrowserPane(QWidget* parent = nullptr);

    // Starts loading a web address or a file path and returns at once. Throws
    // ENavigationError when the text is no address at all.
    void Navigate(const QString& address);

    // The last address the pane was told to load; empty until then.
    QString LastAddress() const { return lastAddress_; }
    int NavigationCount() const { return navigations_; }

  private:
    QString lastAddress_;
    int navigations_ = 0;
};

}  // namespace quillory
