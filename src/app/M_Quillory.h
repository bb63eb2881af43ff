#pragma once
// The main window: three tabs (local picture, web picture, notes), their controls and the
// handlers behind them. Recognitions run off the window thread; every control change
// happens here, on the window thread.

#include <QByteArray>
#include <QMargins>
#include <QString>
#include <QWidget>

#include <memory>
#include <vector>

class QFileDialog;
class QImage;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QSettings;
class QPushButton;
class QNetworkAccessManager;
class QTabWidget;
class QTemporaryDir;
class QUrl;
class QToolButton;
class QAction;

namespace quillory {
class BrowserPane;
class ButtonEdit;
class PictureView;
class ResultMemo;
class Splitter;
struct RecognitionRequest;
struct RecognitionOutcome;
struct DropContent;
struct WindowWork;
}  // namespace quillory

class TForm1 : public QWidget {
    Q_OBJECT
  public:
    // What the program fixes; tests point a window at their own service and directory.
    struct Settings {
        QString endpoint;       // where recognition requests are posted
        QString startPage;      // the web tab's first page
        QString helpDirectory;  // where the help page goes; empty: the executable's directory
        enum class Capture { ByPlatform, Screen, Portal };
        Capture capture = Capture::ByPlatform;  // how a screen capture reads the screen
        // Where the user's choices are kept; empty: the user's own settings of the program.
        QString preferencesFile = QString();
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
    QString StatusToolTip() const;
    int PendingRecognitions() const { return int(running_.size()); }

    // Calls off every running recognition at once: its reply, should one still come, is
    // dropped, and its transfer stops.
    void CancelRecognitions();

    // Hides the window, lets the user drag a rectangle over the screen, then recognises that
    // region, shows the window with the result and puts the text on the clipboard.
    void StartCapture();
    // The overlay of a capture under way, for tests; null otherwise.
    QWidget* CaptureOverlay() const { return overlay_; }

    // Work a later start of the program handed over: a capture, a file to open, or only
    // the window brought to the front.
    void TakeWork(const quillory::WindowWork& work);
    // Copies the current tab's recognised text and says how many lines or paragraphs it copied.
    void CopyAllOfTab();

  signals:
    // A recognition ended, whatever its outcome; the memo and status line are up to date.
    void recognitionFinished();

  protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void CreateControls();
    QWidget* CreateLocalTab();
    QWidget* CreateWebTab();
    QWidget* CreateNotesTab();
    QWidget* CreateStatusLine();
    // Sizes and centres the window inside the screen's free area, its frame included.
    void PlaceOnScreen();
    QMargins FrameMargins() const;
    // Places the window again once a window manager has framed it, should the frame not fit.
    void FrameArrived();
    // The show handler, once for each show: queued by the show, or run at once by work that
    // must come after it.
    void RunShowHandler();

    void CreateShortcuts();
    void TakeCapture(const QImage& region);
    void EndCapture(const QString& status);
    void AcceptDrops();
    void TakeDrop(QWidget* tab, const quillory::DropContent& content);
    void Download(const QUrl& address);
    // What the … button does once a file is chosen.
    void LoadPictureFile(const QString& path);
    void LimitMinimumSize();
    void ReflowTopRow(QWidget* panel);
    void CreatePreferences();
    // A picture arrived without the … button; recognised at once when the user chose so.
    void PictureArrived(const QAction* recogniseAtOnce);
    void ShowHeldPicture();

    struct Running;
    void StartRecognition(const quillory::RecognitionRequest& request, QPushButton* button,
                          quillory::ResultMemo* memo);
    void FinishRecognition(const Running& job, const quillory::RecognitionOutcome& outcome);
    void ShowRecognised(const Running& job, const quillory::RecognitionOutcome& outcome);
    void UpdateBusy();
    void ShowStatus(const QString& text, const QString& toolTip = QString());

    Settings settings_;
    bool shownBefore_ = false;
    bool showHandlerDue_ = false;
    bool awaitingFrame_ = false;  // placed before the window manager framed the window
    std::vector<std::shared_ptr<Running>> running_;

    QTabWidget* cxPageControl1 = nullptr;
    QWidget* cxTabSheet1 = nullptr;
    QWidget* Panel1 = nullptr;
    QLabel* Label1 = nullptr;
    quillory::ButtonEdit* edt_img = nullptr;
    QPushButton* cxButton1 = nullptr;
    QWidget* Panel2 = nullptr;
    QWidget* Panel3 = nullptr;
    quillory::ResultMemo* cxMemo1 = nullptr;
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
    quillory::ResultMemo* cxMemo2 = nullptr;
    quillory::Splitter* cxSplitter1 = nullptr;
    QWidget* cxTabSheet3 = nullptr;
    QPlainTextEdit* cxMemo3 = nullptr;
    QFileDialog* OpenDialog1 = nullptr;
    QLabel* statusLine_ = nullptr;
    QProgressBar* busyIndicator_ = nullptr;
    QToolButton* cancelButton_ = nullptr;
    QNetworkAccessManager* network_ = nullptr;
    QWidget* overlay_ = nullptr;
    bool captureUnderWay_ = false;              // from the key to the window's return
    bool capturing_ = false;                    // the next recognition is of a captured region
    std::unique_ptr<QTemporaryDir> downloads_;  // pictures dropped as web addresses
    QSettings* preferences_ = nullptr;
    QAction* recogniseCaptures_ = nullptr;
    QAction* recogniseDrops_ = nullptr;
};
