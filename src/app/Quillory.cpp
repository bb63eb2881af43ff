// The program entry: register what the parts contribute, then run the window.
// `quillory --capture` starts with a screen capture instead of showing the window first,
// for a desktop shortcut.

#include <QCommandLineParser>
#include <QCoreApplication>

#include "ErrorBox.h"
#include "M_Quillory.h"
#include "ocrgate/ocrgate.h"
#include "pictures/file_formats.h"

int main(int argc, char* argv[]) {
    pictures::RegisterPictureKinds();
    ocrgate::RegisterOcrgateSoap();

    // The browser panes share one graphics context with the window.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    quillory::Application application(argc, argv);
    QCoreApplication::setApplicationVersion(QStringLiteral(QUILLORY_VERSION));

    QCommandLineParser options;
    options.addHelpOption();
    options.addVersionOption();
    const QCommandLineOption capture(
        QStringLiteral("capture"),
        QStringLiteral("Recognise a region of the screen: drag a rectangle, Esc cancels."));
    options.addOption(capture);
    options.process(application);

    TForm1 Form1(TForm1::DefaultSettings());
    if (options.isSet(capture))
        Form1.StartCapture();
    else
        Form1.show();
    return application.exec();
}
