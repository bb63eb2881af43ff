#pragma once
// The same PP-OCR models run by ONNX Runtime: npm's @gutenye/ocr-node in one
// Node process, installed into the build tree when the benchmark first runs.

#include "peer_process.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace bench {

struct PeerRead {
    double seconds = 0;  // as the peer timed its own call
    std::vector<std::string> lines;
};

class OnnxRuntimePeer {
  public:
    // Installs the pinned packages when they are not installed yet and starts
    // the peer. Throws PeerUnavailable saying why it cannot run.
    OnnxRuntimePeer();

    PeerRead Read(const std::filesystem::path& picture);
    long ResidentKib() const { return bench::ResidentKib(std::to_string(process_->pid())); }

  private:
    std::unique_ptr<PeerProcess> process_;
};

}  // namespace bench
