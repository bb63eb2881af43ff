#pragma once
// The main window: three tabs (local picture, web picture, notes), their controls and the
// handlers behind them. Recognitions run off the window thread; every control change
// happens here, on the window thread.

#include <QByteArray>
#include <QString>
#include <QWidget>

class QFileDialog;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTabWidget;

namespace quillory {
class BrowserPane;
class ButtonEdit;
class PictureView;
class Splitter;
struct RecognitionRequest;
}  // namespace quillory

class TForm1 : public QWidget {
    Q_OBJECT
  public:
    // What the program fixes; tests point a window at their own service and directory.
    struct Settings {
        QString endpoint;       // where recognition requests are posted
        QString startPage;      // the web tab's first page
        QString helpDirectory;  // where the help page goes; empty: the executable's directory
    };
    static Settings DefaultSettings();

    explicit TForm1(const QString& endpoint, QWidget* parent = nullptr);
    explicit TForm1(Settings settings, QWidget* parent = nullptr);
    ~TForm1() override;

    // Handlers. They raise their errors; the controls run them inside the error box.
    void FormShow();
    void edt_imgPropertiesButtonClick();
    void cxButton1Click();
    void cxButton2Click();

    // The picture file dialog, made at its first use: building it is a noticeable share of
    // the window's start-up, and many starts never open it.
    QFileDialog* OpenDialog();

    QString HelpPagePath() const;
    QString StatusText() const;
    int PendingRecognitions() const { return pending_; }

  signals:
    // A recognition ended, whatever its outcome; the memo and status line are up to date.
    void recognitionFinished();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void CreateControls();
    QWidget* CreateLocalTab();
    QWidget* CreateWebTab();
    QWidget* CreateNotesTab();
    QWidget* CreateStatusLine();
    void CentreOnScreen();

    void StartRecognition(const quillory::RecognitionRequest& request, QPushButton* button,
                          QPlainTextEdit* memo);
    void ShowStatus(const QString& text);

    Settings settings_;
    bool shownBefore_ = false;
    int pending_ = 0;

    QTabWidget* cxPageControl1 = nullptr;
    QWidget* cxTabSheet1 = nullptr;
    QWidget* Panel1 = nullptr;
    QLabel* Label1 = nullptr;
    quillory::ButtonEdit* edt_img = nullptr;
    QPushButton* cxButton1 = nullptr;
    QWidget* Panel2 = nullptr;
    QWidget* Panel3 = nullptr;
    QPlainTextEdit* cxMemo1 = nullptr;
    quillory::PictureView* cxImage1 = nullptr;
    QWidget* Panel7 = nullptr;
    quillory::BrowserPane* WebBrowser1 = nullptr;
    quillory::Splitter* cxSplitter2 = nullptr;
    QWidget* cxTabSheet2 = nullptr;
    QWidget* Panel4 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* edt_Url = nullptr;
    QPushButton* cxButton2 = nullptr;
    QWidget* Panel5 = nullptr;
    quillory::BrowserPane* WebBrowser2 = nullptr;
    QWidget* Panel6 = nullptr;
    QPlainTextEdit* cxMemo2 = nullptr;
    quillory::Splitter* cxSplitter1 = nullptr;
    QWidget* cxTabSheet3 = nullptr;
    QPlainTextEdit* cxMemo3 = nullptr;
    QFileDialog* OpenDialog1 = nullptr;
    QLabel* statusLine_ = nullptr;
    QProgressBar* busyIndicator_ = nullptr;
};
