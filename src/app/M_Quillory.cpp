#include "M_Quillory.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFutureWatcher>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QWindow>
#include <QtConcurrent/QtConcurrentRun>

#include "AppErrors.h"
#include "BrowserPane.h"
#include "ButtonEdit.h"
#include "ErrorBox.h"
#include "PictureView.h"
#include "Recognition.h"
#include "ResultDisplay.h"
#include "ResultMemo.h"
#include "Texts.h"
#include "WindowPlacement.h"
#include "contract/contract.h"

namespace texts = quillory::texts;
using quillory::RecognitionOutcome;
using quillory::RecognitionRequest;

// A recognition under way, with what its result goes to.
struct TForm1::Running {
    std::shared_ptr<std::atomic<bool>> abort;
    QPushButton* button = nullptr;
    quillory::ResultMemo* memo = nullptr;
    quint64 pictureSerial = 0;  // the picture view's, when the picture was taken
    bool toClipboard = false;   // a capture: the text goes to the clipboard too
};

TForm1::Settings TForm1::DefaultSettings() {
    return {QString::fromUtf8(ocrgate::kEndpoint.data(), qsizetype(ocrgate::kEndpoint.size())),
            texts::kStartPage, QString()};
}

TForm1::TForm1(const QString& endpoint, QWidget* parent)
    : TForm1(Settings{endpoint, DefaultSettings().startPage, QString()}, parent) {}

TForm1::TForm1(Settings settings, QWidget* parent)
    : QWidget(parent), settings_(std::move(settings)) {
    setObjectName(QStringLiteral("Form1"));
    CreateControls();
    CreatePreferences();
    CreateShortcuts();
    AcceptDrops();
    LimitMinimumSize();
}

TForm1::~TForm1() {
    // A transfer still running stops; its late reply has nowhere to go.
    for (const auto& job : running_)
        job->abort->store(true);
}

void TForm1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (event->spontaneous())
        return;  // restored from the task bar: not shown anew
    if (!shownBefore_) {
        PlaceOnScreen();
        // A window manager frames the window only once it is on the screen.
        awaitingFrame_ = FrameMargins().isNull();
    }
    shownBefore_ = true;
    showHandlerDue_ = true;
    // After the show has finished, so that an error box opens over a visible window.
    QTimer::singleShot(0, this, [this] { RunShowHandler(); });
}

void TForm1::RunShowHandler() {
    if (!showHandlerDue_)
        return;
    showHandlerDue_ = false;
    quillory::RunGuarded([this] { FormShow(); });
}

QMargins TForm1::FrameMargins() const {
    const QWindow* window = windowHandle();
    return window ? window->frameMargins() : QMargins();
}

void TForm1::PlaceOnScreen() {
    const QScreen* where = screen();
    if (!where)
        return;
    // The window's own rectangle: a move would go by the frame as the widget last knew it.
    setGeometry(quillory::PlaceWindow(size(), minimumSizeHint().expandedTo(minimumSize()),
                                      FrameMargins(), where->availableGeometry()));
}

void TForm1::FrameArrived() {
    if (FrameMargins().isNull())
        return;
    // Placed without its frame, the window may have its title bar off the screen.
    awaitingFrame_ = false;
    const QScreen* where = screen();
    if (where && !where->availableGeometry().contains(geometry().marginsAdded(FrameMargins())))
        PlaceOnScreen();
}

QString TForm1::HelpPagePath() const {
    QString directory = settings_.helpDirectory.isEmpty() ? QCoreApplication::applicationDirPath()
                                                          : settings_.helpDirectory;
    if (!directory.endsWith(u'/'))
        directory += u'/';
    return directory + texts::kHelpFileName;
}

namespace {

bool HoldsHelpPage(const QString& path) {
    QFile page(path);
    return page.open(QIODevice::ReadOnly) &&
           page.read(texts::kHelpPage.size() + 1) == texts::kHelpPage;
}

}  // namespace

void TForm1::FormShow() {
    const QString path = HelpPagePath();
    QFile page(path);
    // Truncating, so that a longer page from an earlier run leaves no tail.
    if (!page.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        page.write(texts::kHelpPage) != texts::kHelpPage.size() || !page.flush()) {
        const QString reason = page.errorString();
        page.close();
        // An installation's read-only folder holds the page as it was installed: when that
        // is this very page, there is nothing to tell.
        if (!HoldsHelpPage(path))
            throw quillory::EFCreateError(QDir::toNativeSeparators(path), reason);
    }
    page.close();
    WebBrowser1->Navigate(path);
    // The web tab lies hidden behind the first one: its page starts loading once the window
    // is up, so that it does not hold back the first paint.
    QTimer::singleShot(0, this, [this] {
        quillory::RunGuarded([this] { WebBrowser2->Navigate(settings_.startPage); });
    });
}

void TForm1::edt_imgPropertiesButtonClick() {
    QFileDialog* dialog = OpenDialog();
    if (dialog->exec() != QDialog::Accepted)
        return;
    const QString chosen = dialog->selectedFiles().value(0);
    if (!chosen.isEmpty())
        LoadPictureFile(chosen);
}

void TForm1::LoadPictureFile(const QString& chosen) {
    WebBrowser1->Navigate(chosen);
    edt_img->setText(chosen);
    cxImage1->setVisible(true);
    // Below the browser panel until a recognition uncovers it; a failed load keeps the
    // previous picture and reaches the error box.
    try {
        cxImage1->LoadFromFile(edt_img->text());
    } catch (...) {
        // The field names what 识别 sends: the picture still held, or nothing.
        edt_img->setText(cxImage1->HeldName());
        throw;
    }
}

void TForm1::cxButton1Click() {
    if (!cxImage1->HoldsPicture()) {
        ShowStatus(texts::kNoPicture);
        return;
    }
    Panel7->setVisible(false);
    RecognitionRequest request;
    request.endpoint = settings_.endpoint;
    request.kind = RecognitionRequest::Kind::Picture;
    request.picture = cxImage1->PictureBytes();
    StartRecognition(request, cxButton1, cxMemo1);
}

void TForm1::cxButton2Click() {
    WebBrowser2->Navigate(edt_Url->text());
    RecognitionRequest request;
    request.endpoint = settings_.endpoint;
    request.kind = RecognitionRequest::Kind::Address;
    request.address = edt_Url->text();
    StartRecognition(request, cxButton2, cxMemo2);
}

void TForm1::StartRecognition(const RecognitionRequest& request, QPushButton* button,
                              quillory::ResultMemo* memo) {
    auto job = std::make_shared<Running>(
        Running{request.abort, button, memo, cxImage1->PictureSerial(), capturing_});
    capturing_ = false;
    running_.push_back(job);
    button->setEnabled(false);
    UpdateBusy();
    ShowStatus(texts::kBusy);

    auto* watcher = new QFutureWatcher<RecognitionOutcome>(this);
    connect(watcher, &QFutureWatcher<RecognitionOutcome>::finished, this, [=, this] {
        watcher->deleteLater();
        const auto at = std::find(running_.begin(), running_.end(), job);
        if (at == running_.end())
            return;  // called off: whatever came back is dropped
        running_.erase(at);
        FinishRecognition(*job, watcher->result());
    });
    watcher->setFuture(QtConcurrent::run(quillory::Recognize, request));
}

void TForm1::FinishRecognition(const Running& job, const RecognitionOutcome& outcome) {
    job.button->setEnabled(true);
    UpdateBusy();
    if (outcome.succeeded) {
        quillory::RunGuarded([&] { ShowRecognised(job, outcome); });
    } else {
        ShowStatus((outcome.cancelled ? texts::kCancelled : texts::kFailed) + outcome.cause,
                   outcome.failure);
    }
    emit recognitionFinished();
}

void TForm1::ShowRecognised(const Running& job, const RecognitionOutcome& outcome) {
    const reply::Reading& reading = outcome.reading;
    quillory::ShowResult(outcome.reply, reading, job.memo);
    QList<QRectF> boxes;
    bool anyText = false;
    for (const reply::ResultLine& line : reading.lines) {
        anyText = anyText || !QString::fromStdU16String(line.words).trimmed().isEmpty();
        const auto& at = line.location;
        boxes << (at ? QRectF(at->left, at->top, at->width, at->height) : QRectF());
    }
    // A code's box follows the lines', as its entry follows theirs in the memo.
    for (const reply::ResultCode& code : reading.codes) {
        anyText = true;
        const auto& at = code.location;
        boxes << (at ? QRectF(at->left, at->top, at->width, at->height) : QRectF());
    }
    job.memo->SetRecognised(reading);
    // Boxes only over the very picture that was sent.
    if (job.memo == cxMemo1 && cxImage1->PictureSerial() == job.pictureSerial)
        cxImage1->SetTextBoxes(boxes);
    if (job.toClipboard)
        job.memo->CopyAll();
    const bool shownAsReceived = reading.refused && !job.memo->toPlainText().isEmpty();
    ShowStatus(anyText || shownAsReceived ? texts::kDone : texts::kNothingFound);
}

void TForm1::CancelRecognitions() {
    if (running_.empty())
        return;
    for (const auto& job : running_) {
        job->abort->store(true);
        job->button->setEnabled(true);
    }
    running_.clear();
    UpdateBusy();
    ShowStatus(texts::kCancelledByUser);
    emit recognitionFinished();
}

void TForm1::UpdateBusy() {
    busyIndicator_->setVisible(!running_.empty());
    cancelButton_->setVisible(!running_.empty());
}

void TForm1::ShowStatus(const QString& text, const QString& toolTip) {
    statusLine_->setText(text);
    statusLine_->setToolTip(toolTip.isEmpty() ? text : toolTip);
}

QString TForm1::StatusText() const {
    return statusLine_->text();
}

QString TForm1::StatusToolTip() const {
    return statusLine_->toolTip();
}
