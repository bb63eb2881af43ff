// Time from process start to the window shown, for the window and for a minimal program
// with one browser view, run alternately; prints the ratio of the medians.

#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>

#include <unistd.h>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kRuns = 7;

// Milliseconds from starting the program to its "shown" line; negative on failure.
double TimeToShown(const QString& program) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!environment.contains(QStringLiteral("QT_QPA_PLATFORM")) &&
        !environment.contains(QStringLiteral("DISPLAY"))) {
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    }
    if (geteuid() == 0)
        environment.insert(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"), QStringLiteral("1"));
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::SeparateChannels);
    QElapsedTimer clock;
    clock.start();
    process.start(program, {});
    QByteArray out;
    while (!out.contains("shown") && process.waitForReadyRead(30000))
        out += process.readAllStandardOutput();
    const double elapsed = double(clock.nsecsElapsed()) / 1e6;
    if (!process.waitForFinished(10000)) {
        process.kill();
        process.waitForFinished(5000);
    }
    return out.contains("shown") ? elapsed : -1;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main() {
    std::vector<double> window, minimal;
    TimeToShown(QStringLiteral(STARTUP_MINIMAL));  // warm the caches for both alike
    for (int run = 0; run < kRuns; ++run) {
        const double w = TimeToShown(QStringLiteral(STARTUP_WINDOW));
        const double m = TimeToShown(QStringLiteral(STARTUP_MINIMAL));
        if (w < 0 || m < 0) {
            std::fprintf(stderr, "a program did not show its window\n");
            return 1;
        }
        window.push_back(w);
        minimal.push_back(m);
        std::printf("run %d: window %.1f ms, minimal browser view %.1f ms\n", run + 1, w, m);
    }
    const double w = Median(window), m = Median(minimal);
    std::printf("median: window %.1f ms, minimal browser view %.1f ms\n", w, m);
    std::printf("ratio startup_vs_minimal_webengine=%.3f\n", w / m);
    return 0;
}
