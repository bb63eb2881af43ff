// ocrgated: the SOAP 1.1 text recognition service.

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <iostream>
#include <mutex>
#include <thread>

#include "service/common/log.h"
#include "service/common/memory.h"
#include "service/engines/cores.h"
#include "service/engines/factory/engine_factory.h"
#include "service/options.h"
#include "service/pictures/picture_decoder.h"
#include "service/http/access_log.h"
#include "service/http_service.h"

namespace {

using namespace ocrgated;

// The exit status of a drain that had to cut requests: they were answered with a fault, but
// their work was not done.
constexpr int kDrainCut = 3;

// Signals are taken by one thread with sigwait, never by a handler. The first
// SIGTERM or SIGINT drains; a second ends the process at once. SIGHUP reopens the log.
class SignalWatcher {
  public:
    SignalWatcher(HttpService& service, const CommandLine& line) : service_(service), line_(line) {
        thread_ = std::thread([this] { Watch(); });
    }
    ~SignalWatcher() {
        pthread_kill(thread_.native_handle(), SIGUSR1);
        thread_.join();
        Drained();
    }
    bool signalled() const { return signalled_; }
    // Waits for the drain to end; true when no request was cut.
    bool Drained() {
        std::thread drainer;
        {
            std::lock_guard lock(mutex_);
            drainer = std::move(drainer_);
        }
        if (drainer.joinable())
            drainer.join();
        return drained_;
    }

    static sigset_t Signals() {
        sigset_t set;
        sigemptyset(&set);
        for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGUSR1})
            sigaddset(&set, signal);
        return set;
    }

  private:
    void Watch() {
        const sigset_t set = Signals();
        for (;;) {
            int signal = 0;
            sigwait(&set, &signal);
            if (signal == SIGUSR1)
                return;
            if (signal == SIGHUP) {
                ReopenLog();
                WriteLogLine("ocrgated: SIGHUP: log reopened");
                continue;
            }
            if (signalled_) {
                WriteLogLine(std::string("ocrgated: second SIG") + sigabbrev_np(signal) +
                             ": exiting now");
                std::_Exit(1);
            }
            signalled_ = true;
            WriteLogLine(std::string("ocrgated: SIG") + sigabbrev_np(signal) + ": draining");
            std::lock_guard lock(mutex_);
            drainer_ = std::thread([this] {
                drained_ = service_.Drain(line_.drain_delay, line_.drain_timeout);
                // The cut requests are answered; their recognitions would only hold the
                // process past its drain timeout.
                if (!drained_) {
                    WriteLogLine("ocrgated: stopped after cutting requests");
                    std::_Exit(kDrainCut);
                }
            });
        }
    }

    HttpService& service_;
    const CommandLine& line_;
    std::atomic<bool> signalled_{false}, drained_{false};
    std::mutex mutex_;
    std::thread thread_, drainer_;
};

}  // namespace

int main(int argc, char** argv) {
    CommandLine line;
    try {
        line = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::invalid_argument& error) {
        std::cerr << "ocrgated: " << error.what() << "\n\n" << Usage();
        return 2;
    }
    if (line.help) {
        std::cout << Usage();
        return 0;
    }
    if (line.version) {
        std::cout << "ocrgated " OCRGATED_VERSION "\n";
        return 0;
    }
    // Process-wide settings, all made here: threads, signals, memory and where the
    // libraries' messages go.
    LimitOpenMp(argv, line.service.threads);
    ::signal(SIGPIPE, SIG_IGN);
    const sigset_t signals = SignalWatcher::Signals();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    LimitMallocArenas(line.service.threads);
    KeepNetworkBuffersInHeap();
    SetLogSink(WriteLogLine);
    RouteDecoderMessagesToLog();

    try {
        if (!line.log_file.empty())
            OpenLog(line.log_file);
        std::string warning;
        RecognizerFactory engine = ChooseEngine(line.engine, line.engine_settings, warning);
        if (!warning.empty())
            WriteLogLine("ocrgated: warning: " + warning);
        HttpService service(line.service, engine);
        service.Bind();
        SignalWatcher watcher(service, line);
        service.Run();
        if (!watcher.signalled()) {
            WriteLogLine("ocrgated: the server stopped unexpectedly");
            return 1;
        }
        const bool drained = watcher.Drained();
        WriteLogLine("ocrgated: stopped");
        return drained ? 0 : kDrainCut;
    } catch (const std::exception& error) {
        WriteLogLine(std::string("ocrgated: ") + error.what());
        return 1;
    }
}
