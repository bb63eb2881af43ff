// What reaches the window from outside its buttons: work handed over by a later start, a
// picture that arrives by drop, paste or capture, and the user's choices about them.

#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QTabWidget>

#include "ButtonEdit.h"
#include "ErrorBox.h"
#include "M_Quillory.h"
#include "PictureView.h"
#include "ResultMemo.h"
#include "SingleWindow.h"
#include "Texts.h"

namespace texts = quillory::texts;

namespace {

QAction* Choice(QMenu* menu, const QString& text, const char* name, QSettings* preferences,
                const QString& key, bool byDefault) {
    QAction* action = menu->addAction(text);
    action->setObjectName(QString::fromLatin1(name));
    action->setCheckable(true);
    action->setChecked(preferences->value(key, byDefault).toBool());
    QObject::connect(action, &QAction::toggled, preferences,
                     [preferences, key](bool on) { preferences->setValue(key, on); });
    return action;
}

}  // namespace

void TForm1::CreatePreferences() {
    preferences_ = settings_.preferencesFile.isEmpty()
                       ? new QSettings(QSettings::UserScope, QStringLiteral("quillory"),
                                       QStringLiteral("quillory"), this)
                       : new QSettings(settings_.preferencesFile, QSettings::IniFormat, this);
    QMenu* menu = cxImage1->ContextMenu();
    recogniseCaptures_ = Choice(menu, texts::kRecogniseCaptures, "recogniseCapturesAction",
                                preferences_, QStringLiteral("recognise/afterCapture"), true);
    recogniseDrops_ = Choice(menu, texts::kRecogniseDrops, "recogniseDropsAction", preferences_,
                             QStringLiteral("recognise/afterDrop"), false);
    for (quillory::ResultMemo* memo : {cxMemo1, cxMemo2}) {
        QAction* paragraphs = memo->ParagraphsAction();
        paragraphs->setChecked(preferences_->value(QStringLiteral("result/paragraphs")).toBool());
        // One choice for both result columns.
        connect(paragraphs, &QAction::toggled, this, [this](bool on) {
            preferences_->setValue(QStringLiteral("result/paragraphs"), on);
            for (quillory::ResultMemo* each : {cxMemo1, cxMemo2})
                each->ParagraphsAction()->setChecked(on);
        });
    }
    connect(cxImage1, &quillory::PictureView::heldPictureChanged, this, &TForm1::ShowHeldPicture);
    connect(cxImage1, &quillory::PictureView::pasted, this,
            [this] { PictureArrived(recogniseDrops_); });
    for (quillory::ResultMemo* memo : {cxMemo1, cxMemo2}) {
        connect(memo, &quillory::ResultMemo::copied, this, [this, memo](int entries) {
            const QString& copied = memo->ParagraphsAction()->isChecked()
                                        ? texts::kCopiedParagraphs
                                        : texts::kCopied;
            ShowStatus(entries > 0 ? copied.arg(entries) : texts::kNothingToCopy);
        });
        connect(memo, &quillory::ResultMemo::tableCopied, this, [this](int rows) {
            ShowStatus(rows > 0 ? texts::kCopiedTable.arg(rows) : texts::kNothingToCopy);
        });
    }
}

void TForm1::ShowHeldPicture() {
    edt_img->setText(cxImage1->HeldName());
    // What the status line said was about the picture before; only work under way stays.
    ShowStatus(running_.empty() ? QString() : texts::kBusy);
}

void TForm1::PictureArrived(const QAction* recogniseAtOnce) {
    if (!recogniseAtOnce->isChecked() || !cxButton1->isEnabled() || !cxImage1->HoldsPicture())
        return;
    quillory::RunGuarded([this] { cxButton1Click(); });
}

void TForm1::TakeWork(const quillory::WindowWork& work) {
    if (work.capture) {
        StartCapture();
        return;
    }
    if (!captureUnderWay_) {
        showNormal();
        raise();
        activateWindow();
    }
    if (!work.file.isEmpty()) {
        // The show handler puts the help page in the browser pane: it goes first, so that
        // the file opens over it as a file picked in the window does.
        RunShowHandler();
        cxPageControl1->setCurrentWidget(cxTabSheet1);
        quillory::RunGuarded([&] { LoadPictureFile(work.file); });
    }
}

void TForm1::CopyAllOfTab() {
    QWidget* tab = cxPageControl1->currentWidget();
    quillory::ResultMemo* memo = tab == cxTabSheet1 ? cxMemo1 : tab == cxTabSheet2 ? cxMemo2 : nullptr;
    if (memo)
        memo->CopyAll();
}
