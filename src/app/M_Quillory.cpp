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
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

#include "AppErrors.h"
#include "BrowserPane.h"
#include "ButtonEdit.h"
#include "ErrorBox.h"
#include "PictureView.h"
#include "Recognition.h"
#include "ResultDisplay.h"
#include "Texts.h"
#include "ocrgate/contract.h"

namespace texts = quillory::texts;
using quillory::RecognitionOutcome;
using quillory::RecognitionRequest;

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
}

TForm1::~TForm1() = default;

void TForm1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (event->spontaneous())
        return;  // restored from the task bar: not shown anew
    if (!shownBefore_)
        CentreOnScreen();
    shownBefore_ = true;
    // After the show has finished, so that an error box opens over a visible window.
    QTimer::singleShot(0, this, [this] { quillory::RunGuarded([this] { FormShow(); }); });
}

void TForm1::CentreOnScreen() {
    const QScreen* where = screen();
    if (!where)
        return;
    QRect frame = frameGeometry();
    frame.moveCenter(where->geometry().center());
    move(frame.topLeft());
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
    if (chosen.isEmpty())
        return;
    WebBrowser1->Navigate(chosen);
    edt_img->setText(chosen);
    cxImage1->setVisible(true);
    // Below the browser panel until a recognition uncovers it; a failed load keeps the
    // previous picture and reaches the error box.
    cxImage1->LoadFromFile(edt_img->text());
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
                              QPlainTextEdit* memo) {
    button->setEnabled(false);
    ++pending_;
    busyIndicator_->setVisible(true);
    ShowStatus(texts::kBusy);

    auto* watcher = new QFutureWatcher<RecognitionOutcome>(this);
    connect(watcher, &QFutureWatcher<RecognitionOutcome>::finished, this, [=, this] {
        const RecognitionOutcome outcome = watcher->result();
        watcher->deleteLater();
        --pending_;
        button->setEnabled(true);
        busyIndicator_->setVisible(pending_ > 0);
        if (outcome.succeeded) {
            quillory::RunGuarded([&] { quillory::ShowResult(outcome.reply, memo); });
            ShowStatus(texts::kDone);
        } else {
            ShowStatus((outcome.cancelled ? texts::kCancelled : texts::kFailed) + outcome.failure);
        }
        emit recognitionFinished();
    });
    watcher->setFuture(QtConcurrent::run(quillory::Recognize, request));
}

void TForm1::ShowStatus(const QString& text) {
    statusLine_->setText(text);
    statusLine_->setToolTip(text);
}

QString TForm1::StatusText() const {
    return statusLine_->text();
}
