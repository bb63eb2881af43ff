#pragma once
// What every whole-system test of the window starts from: the picture kinds and the service
// contract registered, a folder of its own, and a real ocrgated on an ephemeral port.

#include <QObject>
#include <QTemporaryDir>
#include <QtTest>

#include "app/M_Quillory.h"
#include "contract/ocrgate.h"
#include "pictures/file_formats.h"
#include "support/service_process.h"

class WindowAgainstService : public QObject {
  protected:
    // For initTestCase: a failure here skips the test's functions.
    void StartService() {
        pictures::RegisterPictureKinds();
        ocrgate::RegisterOcrgateSoap();
        QVERIFY(dir_.isValid());
        QVERIFY2(service_.WaitUntilHealthy(), service_.Output().c_str());
    }
    TForm1::Settings SettingsFor(const QString& endpoint) const {
        return {endpoint, QStringLiteral("about:blank"), dir_.path(),
                TForm1::Settings::Capture::ByPlatform, dir_.filePath("quillory.ini")};
    }

    QTemporaryDir dir_;
    testing_support::ServiceProcess service_{
        OCRGATED_PATH, testing_support::EphemeralArgs(1, {"--allow-private-urls"})};
};
