#pragma once
// The application's error box: whatever escapes a window handler is shown to the user in a
// message box and the application carries on. The silent abort is never shown.

#include <QApplication>
#include <QString>

#include <exception>
#include <functional>

namespace quillory {

// The executable's file name cut at its first ".".
QString ApplicationTitle();

// The message with "." appended when its last character sorts after ".".
QString ErrorBoxText(const QString& message);

// The message an exception carries, or a null QString for the silent abort.
QString MessageOf(const std::exception_ptr& error);

// Shows the error box for the exception unless it is the silent abort.
void ShowError(const std::exception_ptr& error);

// Runs a handler; an exception that leaves it goes to the error box.
void RunGuarded(const std::function<void()>& handler);

// Qt's own texts (file dialogs, the standard edit menu, message box buttons) in Chinese, the
// window's language; false when Qt's translations are not installed.
bool InstallQtTranslations();

// Catches what leaves any event handler, so an exception never ends the process.
class Application : public QApplication {
  public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace quillory
