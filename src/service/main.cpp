// ocrgated: the SOAP 1.1 text recognition service.

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <thread>

#include "ocrgate/contract.h"
#include "service/engines/engine_factory.h"
#include "service/options.h"
#include "service/protocol/access_log.h"
#include "service/protocol/http_service.h"

int main(int argc, char** argv) {
    using namespace ocrgated;
    // Each worker runs its own engine; the engines' OpenMP thread teams would only
    // fight each other for the same cores. The OpenMP runtime reads its limit when
    // it loads, so the limit is set and the program started again.
    if (!std::getenv("OMP_THREAD_LIMIT")) {
        setenv("OMP_THREAD_LIMIT", "1", 1);
        execv("/proc/self/exe", argv);  // on failure, carry on with the default
    }
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

    ::signal(SIGPIPE, SIG_IGN);
    // Signals are taken by one thread with sigwait, never by a handler.
    sigset_t stop_signals;
    sigemptyset(&stop_signals);
    sigaddset(&stop_signals, SIGINT);
    sigaddset(&stop_signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);

    try {
        std::string warning;
        RecognizerFactory engine = ChooseEngine(line.engine, {line.languages}, warning);
        if (!warning.empty())
            WriteLogLine("ocrgated: warning: " + warning);
        HttpService service(line.service, engine);
        const int port = service.Bind();
        const std::string& host = line.service.host;
        const std::string shown = host.find(':') == std::string::npos ? host : "[" + host + "]";
        WriteLogLine("ocrgated " OCRGATED_VERSION ": listening on http://" + shown + ":" +
                     std::to_string(port) + std::string(ocrgate::kServicePath) + " (engine " +
                     service.pool().EngineName() + ", " + std::to_string(service.pool().threads()) +
                     " threads)");

        std::atomic<bool> finished{false}, signalled{false};
        std::thread watcher([&] {
            int signal = 0;
            sigwait(&stop_signals, &signal);
            if (finished)
                return;
            signalled = true;
            WriteLogLine("ocrgated: stopping; finishing the requests in flight");
            // Stop until Run returns: a signal may come before the server listens.
            while (!finished) {
                service.Stop();
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
        });
        service.Run();
        finished = true;
        if (!signalled)
            pthread_kill(watcher.native_handle(), SIGTERM);
        watcher.join();
        if (!signalled) {
            WriteLogLine("ocrgated: the server stopped unexpectedly");
            return 1;
        }
        WriteLogLine("ocrgated: stopped");
        return 0;
    } catch (const std::exception& error) {
        WriteLogLine(std::string("ocrgated: ") + error.what());
        return 1;
    }
}
