// The window's keys: shortcuts that reach a command from anywhere in the window, and the
// order in which Tab walks the first tab's controls.

#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTabWidget>
#include <QToolButton>

#include "ButtonEdit.h"
#include "ErrorBox.h"
#include "M_Quillory.h"
#include "PictureView.h"
#include "ResultMemo.h"

namespace {

void OnKey(QWidget* window, const QKeySequence& keys, const std::function<void()>& command) {
    auto* shortcut = new QShortcut(keys, window);
    shortcut->setContext(Qt::WindowShortcut);
    QObject::connect(shortcut, &QShortcut::activated, window,
                     [command] { quillory::RunGuarded(command); });
}

}  // namespace

void TForm1::CreateShortcuts() {
    OnKey(this, QKeySequence(Qt::CTRL | Qt::Key_O), [this] {
        cxPageControl1->setCurrentWidget(cxTabSheet1);
        edt_imgPropertiesButtonClick();
    });
    OnKey(this, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_A), [this] { StartCapture(); });
    OnKey(this, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C), [this] { CopyAllOfTab(); });
    // 识别 of the tab in front; the keypad's Enter too.
    for (const int enter : {Qt::Key_Return, Qt::Key_Enter}) {
        OnKey(this, QKeySequence(Qt::CTRL | enter), [this] {
            QWidget* tab = cxPageControl1->currentWidget();
            if (tab == cxTabSheet1 && cxButton1->isEnabled())
                cxButton1Click();
            else if (tab == cxTabSheet2 && cxButton2->isEnabled())
                cxButton2Click();
        });
    }
    // The picture view's own entry, reachable from anywhere in the window.
    addAction(cxImage1->BoxesAction());

    connect(edt_Url, &QLineEdit::returnPressed, this, [this] {
        if (cxButton2->isEnabled())
            quillory::RunGuarded([this] { cxButton2Click(); });
    });

    edt_img->Button()->setFocusPolicy(Qt::StrongFocus);
    setTabOrder(edt_img, edt_img->Button());
    setTabOrder(edt_img->Button(), cxButton1);
    setTabOrder(cxButton1, cxMemo1);
    setTabOrder(cxMemo1, cxImage1);
}
