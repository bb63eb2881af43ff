// The program entry: register what the parts contribute, then run the window.

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

    TForm1 Form1(TForm1::DefaultSettings());
    Form1.show();
    return application.exec();
}
