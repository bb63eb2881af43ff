#pragma once
// Helpers shared by the window's tests.

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QWidget>

#include <functional>

#include "app/M_Quillory.h"

class QFileDialog;

namespace testing_support {

struct MessageBoxSeen {
    bool shown = false;
    QString caption;
    QString text;
    int count = 0;
};

// Runs `action`; every message box it opens is read and closed; the last one is kept.
MessageBoxSeen WatchMessageBox(const std::function<void()>& action);

// Answers the next run of a file dialog with `path`, typed into its name field.
void ChooseInDialog(QFileDialog* dialog, const QString& path);

// `text` encoded by the C library's iconv, as an independent check of stored bytes.
QByteArray Encode(const QString& text, const char* codePage);

// Window settings that reach nothing outside: a service port where nothing listens, a blank
// start page, and the help page in `helpDirectory`.
TForm1::Settings OfflineSettings(const QString& helpDirectory);

// A white picture with black lines of text, large enough for any recogniser.
QImage RenderText(const QStringList& lines, int pixelSize = 48);

// The named child of the window, failing the test when it does not exist.
template <class Widget>
Widget* Child(QWidget* window, const char* name) {
    return window->findChild<Widget*>(QString::fromLatin1(name));
}

}  // namespace testing_support
