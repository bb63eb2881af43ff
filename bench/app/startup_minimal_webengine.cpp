// The peer: the least a Qt program with a browser view does before its first paint.

#include <QApplication>
#include <QUrl>
#include <QWebEngineView>

#include "first_paint.h"

int main(int argc, char* argv[]) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication application(argc, argv);
    QWebEngineView view;
    view.resize(1305, 675);
    view.load(QUrl(QStringLiteral("about:blank")));
    FirstPaint probe(&view, [] { return true; });
    view.show();
    return application.exec();
}
