#include "service/engines/cores.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <thread>

namespace ocrgated {

int CoresPerWorker(int workers) {
    return std::max(1, static_cast<int>(std::thread::hardware_concurrency()) / std::max(1, workers));
}

void LimitOpenMp(char** argv, int workers) {
    if (std::getenv("OMP_THREAD_LIMIT"))
        return;
    setenv("OMP_THREAD_LIMIT", std::to_string(CoresPerWorker(workers)).c_str(), 1);
    execv("/proc/self/exe", argv);
}

}  // namespace ocrgated
