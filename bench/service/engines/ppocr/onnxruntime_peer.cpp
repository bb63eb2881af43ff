#include "onnxruntime_peer.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace bench {
namespace {

namespace fs = std::filesystem;

const fs::path kSources = QUILLORY_PEER_SOURCES;    // package.json and the script
const fs::path kInstalled = QUILLORY_PEER_INSTALL;  // in the build tree

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool Runs(const std::string& command) {
    return std::system(command.c_str()) == 0;
}

// npm install with the pinned versions; install scripts never run (the
// ONNX Runtime package's only fetches GPU libraries, and the CPU library ships
// inside the package).
void Install() {
    const std::string wanted = ReadText(kSources / "package.json");
    const fs::path stamp = kInstalled / "installed-from";
    if (fs::exists(kInstalled / "node_modules/@gutenye/ocr-node/package.json") &&
        ReadText(stamp) == wanted)
        return;
    if (!Runs("command -v npm >/dev/null 2>&1"))
        throw PeerUnavailable("npm is not installed");
    fs::create_directories(kInstalled);
    std::ofstream(kInstalled / "package.json", std::ios::binary) << wanted;
    std::printf("installing @gutenye/ocr-node with npm into %s\n", kInstalled.c_str());
    std::fflush(stdout);
    const fs::path log = kInstalled / "npm.log";
    if (!Runs("cd '" + kInstalled.string() +
              "' && npm install --ignore-scripts --no-audit --no-fund --loglevel=error"
              " --fetch-retries=1 --fetch-timeout=60000 >'" +
              log.string() + "' 2>&1"))
        throw PeerUnavailable("npm could not install @gutenye/ocr-node (npm unreachable? see " +
                              log.string() + ")");
    std::ofstream(stamp, std::ios::binary) << wanted;
}

}  // namespace

OnnxRuntimePeer::OnnxRuntimePeer() {
    if (!Runs("command -v node >/dev/null 2>&1"))
        throw PeerUnavailable("node is not installed");
    Install();
    process_ = std::make_unique<PeerProcess>(
        std::vector<std::string>{"node", (kSources / "read_pictures.mjs").string(),
                                 kInstalled.string()},
        "ready", std::chrono::seconds(120));
}

PeerRead OnnxRuntimePeer::Read(const fs::path& picture) {
    const std::string answer = process_->Ask(picture.string(), std::chrono::seconds(300));
    const auto tab = answer.find('\t');
    if (tab == std::string::npos)
        throw PeerUnavailable("the peer answered \"" + answer + "\"");
    PeerRead read;
    read.seconds = std::stod(answer.substr(0, tab)) / 1000;
    try {
        read.lines = nlohmann::json::parse(answer.substr(tab + 1)).get<std::vector<std::string>>();
    } catch (const nlohmann::json::exception& e) {
        throw PeerUnavailable("the peer answered \"" + answer + "\": " + e.what());
    }
    return read;
}

}  // namespace bench
