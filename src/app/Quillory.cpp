// The program entry: register what the parts contribute, then run the window.
// `quillory --capture` starts with a screen capture instead of showing the window first,
// for a desktop shortcut; `quillory FILE` opens a picture file. While a window runs, a
// further start hands it its work and exits: the user has one window.

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>

#include "ErrorBox.h"
#include "M_Quillory.h"
#include "SingleWindow.h"
#include "contract/ocrgate.h"
#include "pictures/file_formats.h"

int main(int argc, char* argv[]) {
    pictures::RegisterPictureKinds();
    ocrgate::RegisterOcrgateSoap();

    // The browser panes share one graphics context with the window.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    quillory::Application application(argc, argv);
    QCoreApplication::setApplicationVersion(QStringLiteral(QUILLORY_VERSION));
    QCoreApplication::setOrganizationName(QStringLiteral("quillory"));
    QCoreApplication::setApplicationName(QStringLiteral("quillory"));

    QCommandLineParser options;
    options.addHelpOption();
    options.addVersionOption();
    const QCommandLineOption capture(
        QStringLiteral("capture"),
        QStringLiteral("Recognise a region of the screen: drag a rectangle, Esc cancels."));
    options.addOption(capture);
    options.addPositionalArgument(QStringLiteral("file"),
                                  QStringLiteral("A picture file to open (JPEG, PNG, BMP)."),
                                  QStringLiteral("[file]"));
    options.process(application);

    quillory::WindowWork work;
    work.capture = options.isSet(capture);
    if (!options.positionalArguments().isEmpty())
        work.file = QFileInfo(options.positionalArguments().first()).absoluteFilePath();
    quillory::SingleWindow single;
    if (single.HandOver(work) || (!single.Listen() && single.HandOver(work)))
        return 0;

    quillory::InstallQtTranslations();

    TForm1 Form1(TForm1::DefaultSettings());
    QObject::connect(&single, &quillory::SingleWindow::workArrived, &Form1, &TForm1::TakeWork);
    if (work.capture)
        Form1.StartCapture();
    else
        Form1.show();
    if (!work.file.isEmpty())
        Form1.TakeWork({false, work.file});
    return application.exec();
}
