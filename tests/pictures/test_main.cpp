// QtGui's image plugins and painting need an application object.
#include <QGuiApplication>
#include <gtest/gtest.h>

#include "pictures/file_formats.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QGuiApplication app(argc, argv);
    pictures::RegisterPictureKinds();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
