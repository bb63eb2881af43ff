// The window's controls, built in code: docked panels through layouts, absolute positions
// inside the two top panels, as the layout was drawn at 96 pixels per inch.

#include <QFileDialog>

#include <algorithm>
#include <QGridLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "BrowserPane.h"
#include "ButtonEdit.h"
#include "ErrorBox.h"
#include "M_Quillory.h"
#include "PictureView.h"
#include "ResultMemo.h"
#include "Splitter.h"
#include "Texts.h"

namespace texts = quillory::texts;

namespace {

template <class Widget>
Widget* Named(Widget* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QFont PixelFont(const QString& family, int pixels) {
    QFont font(family);
    font.setPixelSize(pixels);
    return font;
}

QVBoxLayout* FillWith(QWidget* parent, QWidget* child) {
    auto* layout = new QVBoxLayout(parent);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    if (child)
        layout->addWidget(child);
    return layout;
}

template <class Kind = QPlainTextEdit>
Kind* Memo(QWidget* parent, const char* name, bool scrollBar) {
    auto* memo = Named(new Kind(parent), name);
    memo->setFont(PixelFont(QStringLiteral("MS Sans Serif"), 16));
    memo->setVerticalScrollBarPolicy(scrollBar ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAsNeeded);
    return memo;
}

QLabel* PictureLabel(QWidget* parent, const char* name) {
    auto* label = Named(new QLabel(texts::kPictureLabel, parent), name);
    label->setGeometry(16, 16, 73, 13);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

QPushButton* RecogniseButton(QWidget* parent, const char* name, int top) {
    auto* button = Named(new QPushButton(texts::kRecognise, parent), name);
    button->setGeometry(952, top, 75, 25);
    // A flat look: a thin frame and no bevel.
    button->setStyleSheet(QStringLiteral(
        "QPushButton { border: 1px solid palette(mid); background: palette(button); }"
        "QPushButton:hover { background: palette(light); }"
        "QPushButton:pressed { background: palette(midlight); }"
        "QPushButton:disabled { color: palette(mid); }"));
    return button;
}

// A top panel holding absolutely placed controls.
QWidget* TopPanel(QWidget* parent, const char* name, int height) {
    auto* panel = Named(new QWidget(parent), name);
    panel->setFixedHeight(height);
    return panel;
}

// Docks the right panel and its splitter beside the client area of a panel.
QGridLayout* ClientWithRightPanel(QWidget* panel) {
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);
    grid->setColumnStretch(0, 1);
    return grid;
}

}  // namespace

void TForm1::CreateControls() {
    setWindowTitle(texts::kCaption);
    resize(1305, 675);
    setFont(PixelFont(QStringLiteral("Tahoma"), 11));
    QPalette colours = palette();
    colours.setColor(QPalette::Window, colours.color(QPalette::Button));
    colours.setColor(QPalette::WindowText, colours.color(QPalette::WindowText));
    setPalette(colours);
    setAutoFillBackground(true);

    cxPageControl1 = Named(new QTabWidget(this), "cxPageControl1");
    cxPageControl1->setStyleSheet(QStringLiteral("QTabBar::tab { height: 24px; }"));
    cxPageControl1->addTab(CreateLocalTab(), texts::kLocalTab);
    cxPageControl1->addTab(CreateWebTab(), texts::kWebTab);
    cxPageControl1->addTab(CreateNotesTab(), texts::kNotesTab);
    cxPageControl1->setCurrentIndex(0);

    auto* layout = FillWith(this, cxPageControl1);
    layout->addWidget(CreateStatusLine());
}

QWidget* TForm1::CreateLocalTab() {
    cxTabSheet1 = Named(new QWidget(this), "cxTabSheet1");

    Panel1 = TopPanel(cxTabSheet1, "Panel1", 41);
    Label1 = PictureLabel(Panel1, "Label1");
    edt_img = Named(new quillory::ButtonEdit(Panel1), "edt_img");
    edt_img->setGeometry(96, 13, 841, 21);
    edt_img->setReadOnly(true);
    cxButton1 = RecogniseButton(Panel1, "cxButton1", 11);

    Panel2 = Named(new QWidget(cxTabSheet1), "Panel2");
    Panel3 = Named(new QWidget(Panel2), "Panel3");
    Panel3->setFixedWidth(560);
    cxMemo1 = Memo<quillory::ResultMemo>(Panel3, "cxMemo1", true);
    FillWith(Panel3, cxMemo1);
    cxImage1 = Named(new quillory::PictureView(Panel2), "cxImage1");
    cxImage1->setVisible(false);
    Panel7 = Named(new QWidget(Panel2), "Panel7");
    WebBrowser1 = Named(new quillory::BrowserPane(Panel7), "WebBrowser1");
    FillWith(Panel7, WebBrowser1);
    cxSplitter2 = Named(new quillory::Splitter(Panel2), "cxSplitter2");
    cxSplitter2->SetControl(Panel3);

    // The picture view and the browser panel share the client area; the panel lies above.
    auto* grid = ClientWithRightPanel(Panel2);
    grid->addWidget(cxImage1, 0, 0);
    grid->addWidget(Panel7, 0, 0);
    grid->addWidget(cxSplitter2, 0, 1);
    grid->addWidget(Panel3, 0, 2);
    Panel7->raise();

    auto* layout = FillWith(cxTabSheet1, Panel1);
    layout->addWidget(Panel2, 1);

    connect(edt_img, &quillory::ButtonEdit::buttonClicked, this,
            [this] { quillory::RunGuarded([this] { edt_imgPropertiesButtonClick(); }); });
    connect(cxButton1, &QPushButton::clicked, this,
            [this] { quillory::RunGuarded([this] { cxButton1Click(); }); });
    // Each recognised line and its box over the picture point at each other.
    connect(cxMemo1, &quillory::ResultMemo::markedLinesChanged, cxImage1,
            &quillory::PictureView::MarkBoxes);
    connect(cxImage1, &quillory::PictureView::boxClicked, cxMemo1,
            &quillory::ResultMemo::SelectLine);
    return cxTabSheet1;
}

QWidget* TForm1::CreateWebTab() {
    cxTabSheet2 = Named(new QWidget(this), "cxTabSheet2");

    Panel4 = TopPanel(cxTabSheet2, "Panel4", 51);
    Label2 = PictureLabel(Panel4, "Label2");
    Label3 = Named(new QLabel(texts::kUrlHint, Panel4), "Label3");
    Label3->setGeometry(1056, -2, 225, 49);
    Label3->setFont(PixelFont(QStringLiteral("Tahoma"), 20));
    Label3->setWordWrap(true);
    Label3->setAttribute(Qt::WA_TranslucentBackground);
    QPalette blue = Label3->palette();
    blue.setColor(QPalette::WindowText, Qt::blue);
    Label3->setPalette(blue);
    // Editable, so that another address can be pasted; the example address stays as the start.
    edt_Url = Named(new QLineEdit(texts::kExampleUrl, Panel4), "edt_Url");
    edt_Url->setGeometry(96, 13, 841, 21);
    edt_Url->setCursorPosition(0);
    cxButton2 = RecogniseButton(Panel4, "cxButton2", 8);

    Panel5 = Named(new QWidget(cxTabSheet2), "Panel5");
    WebBrowser2 = Named(new quillory::BrowserPane(Panel5), "WebBrowser2");
    Panel6 = Named(new QWidget(Panel5), "Panel6");
    Panel6->setFixedWidth(560);
    cxMemo2 = Memo<quillory::ResultMemo>(Panel6, "cxMemo2", true);
    FillWith(Panel6, cxMemo2);
    // Deliberately bound to no panel: dragging it changes nothing.
    cxSplitter1 = Named(new quillory::Splitter(Panel5), "cxSplitter1");

    auto* grid = ClientWithRightPanel(Panel5);
    grid->addWidget(WebBrowser2, 0, 0);
    grid->addWidget(cxSplitter1, 0, 1);
    grid->addWidget(Panel6, 0, 2);

    auto* layout = FillWith(cxTabSheet2, Panel4);
    layout->addWidget(Panel5, 1);

    connect(cxButton2, &QPushButton::clicked, this,
            [this] { quillory::RunGuarded([this] { cxButton2Click(); }); });
    return cxTabSheet2;
}

QWidget* TForm1::CreateNotesTab() {
    cxTabSheet3 = Named(new QWidget(this), "cxTabSheet3");
    cxMemo3 = Memo(cxTabSheet3, "cxMemo3", false);
    cxMemo3->setPlainText(texts::kNotes.join(u'\n'));
    FillWith(cxTabSheet3, cxMemo3);
    return cxTabSheet3;
}

QWidget* TForm1::CreateStatusLine() {
    auto* bar = Named(new QWidget(this), "statusBar");
    statusLine_ = Named(new QLabel(bar), "statusLine");
    statusLine_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // A long failure text is cut at the window's edge rather than widening the window.
    statusLine_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    busyIndicator_ = Named(new QProgressBar(bar), "busyIndicator");
    busyIndicator_->setRange(0, 0);  // no known length: it just moves
    busyIndicator_->setFixedSize(160, 14);
    busyIndicator_->setTextVisible(false);
    busyIndicator_->setVisible(false);
    cancelButton_ = Named(new QToolButton(bar), "cancelButton");
    cancelButton_->setText(texts::kCancel);
    cancelButton_->setToolTip(texts::kCancel + QStringLiteral(" (Esc)"));
    cancelButton_->setAutoRaise(true);
    cancelButton_->setFixedHeight(18);
    cancelButton_->setVisible(false);
    connect(cancelButton_, &QToolButton::clicked, this, &TForm1::CancelRecognitions);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(6, 2, 6, 2);
    row->addWidget(statusLine_, 1);
    row->addWidget(busyIndicator_);
    row->addWidget(cancelButton_);
    return bar;
}

namespace {

// The drawn width of the path and address fields, and the narrowest they become.
constexpr int kFieldWidth = 841;
constexpr int kNarrowestField = 240;

}  // namespace

void TForm1::LimitMinimumSize() {
    // The top rows place their controls at fixed points, as drawn. A row narrower than that
    // narrows its field and moves what stands right of it along, down to a narrowest field.
    for (QWidget* panel : {Panel1, Panel4}) {
        const int drawn = panel->childrenRect().right() + 1;
        panel->setProperty("drawnWidth", drawn);
        for (QWidget* control : panel->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
            control->setProperty("drawnLeft", control->x());
        panel->setMinimumWidth(drawn - (kFieldWidth - kNarrowestField));
    }
}

void TForm1::ReflowTopRow(QWidget* panel) {
    QWidget* field = panel == Panel1 ? static_cast<QWidget*>(edt_img) : edt_Url;
    const int fieldRight = field->property("drawnLeft").toInt() + kFieldWidth;
    const int shift = std::clamp(panel->property("drawnWidth").toInt() - panel->width(), 0,
                                 kFieldWidth - kNarrowestField);
    field->resize(kFieldWidth - shift, field->height());
    for (QWidget* control : panel->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        const int left = control->property("drawnLeft").toInt();
        if (left >= fieldRight)
            control->move(left - shift, control->y());
    }
}

QFileDialog* TForm1::OpenDialog() {
    if (OpenDialog1)
        return OpenDialog1;
    OpenDialog1 = Named(new QFileDialog(this), "OpenDialog1");
    OpenDialog1->setAcceptMode(QFileDialog::AcceptOpen);
    OpenDialog1->setFileMode(QFileDialog::ExistingFile);
    const QStringList parts = texts::kOpenFilter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        filters << QStringLiteral("%1 (%2)").arg(parts[i], parts[i + 1]);
    }
    OpenDialog1->setNameFilters(filters);
    OpenDialog1->selectNameFilter(filters.first());
    OpenDialog1->setDefaultSuffix(texts::kDefaultSuffix);
    return OpenDialog1;
}
