// The window as the program starts it, timed until the help page is written and the window
// has painted. The web tab starts on a blank page so that no outside site is contacted.

#include <QFileInfo>
#include <QTemporaryDir>

#include "app/ErrorBox.h"
#include "app/M_Quillory.h"
#include "first_paint.h"
#include "contract/ocrgate.h"
#include "pictures/file_formats.h"

int main(int argc, char* argv[]) {
    pictures::RegisterPictureKinds();
    ocrgate::RegisterOcrgateSoap();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    quillory::Application application(argc, argv);

    QTemporaryDir directory;
    TForm1::Settings settings = TForm1::DefaultSettings();
    settings.startPage = QStringLiteral("about:blank");
    settings.helpDirectory = directory.path();
    TForm1 Form1(settings);
    const QString help = Form1.HelpPagePath();
    FirstPaint probe(&Form1, [&] { return QFileInfo(help).size() == 214; });
    Form1.show();
    return application.exec();
}
