// Time from process start to the window shown, for the window and for a minimal program
// with one browser view, run alternately; prints the ratio of the medians. The browser's
// helper processes outlive a timed program by a while: each run starts only once those of
// the run before are gone, so that neither program is timed against the other's teardown.

#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>

#include <dirent.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "support/median.h"

namespace {

constexpr int kRuns = 11;

// Processes whose parent is this one: orphans of a timed program land here, as its reaper.
std::vector<pid_t> Orphans() {
    std::vector<pid_t> found;
    DIR* proc = opendir("/proc");
    if (!proc)
        return found;
    while (const dirent* entry = readdir(proc)) {
        const pid_t pid = pid_t(std::atoi(entry->d_name));
        if (pid <= 0)
            continue;
        std::ifstream stat("/proc/" + std::string(entry->d_name) + "/stat");
        std::string line;
        std::getline(stat, line);
        // pid (comm) state ppid ...; comm may hold spaces, so read after its last ')'.
        const auto close = line.rfind(')');
        if (close == std::string::npos)
            continue;
        char state = 0;
        int parent = 0;
        if (std::sscanf(line.c_str() + close + 1, " %c %d", &state, &parent) == 2 &&
            parent == getpid())
            found.push_back(pid);
    }
    closedir(proc);
    return found;
}

// Ends what a timed program left behind, down to its last descendant.
void ClearOrphans() {
    for (int round = 0; round < 200; ++round) {
        const std::vector<pid_t> orphans = Orphans();
        if (orphans.empty())
            return;
        for (const pid_t pid : orphans) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
    std::fprintf(stderr, "helper processes keep coming back\n");
    std::exit(1);
}

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
    ClearOrphans();
    return out.contains("shown") ? elapsed : -1;
}

}  // namespace

int main() {
    prctl(PR_SET_CHILD_SUBREAPER, 1);
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
    const double w = quillory::testing::Median(window), m = quillory::testing::Median(minimal);
    std::printf("median: window %.1f ms, minimal browser view %.1f ms\n", w, m);
    std::printf("ratio startup_vs_minimal_webengine=%.3f\n", w / m);
    return 0;
}
