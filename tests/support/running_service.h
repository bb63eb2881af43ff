#pragma once
// An HttpService in the test's own process, on an ephemeral loopback port, served from a
// background thread for the object's life; and raw SOAP helpers to talk to it.

#include <arpa/inet.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <thread>

#include "contract/contract.h"
#include "service/http_service.h"
#include "soap/namespaces.h"

namespace testing_support {

class RunningService {
  public:
    RunningService(ocrgated::ServiceOptions options, const ocrgated::RecognizerFactory& factory) {
        options.host = "127.0.0.1";
        options.port = 0;
        options.access_log = false;
        service_ = std::make_unique<ocrgated::HttpService>(options, factory);
        port_ = service_->Bind();
        thread_ = std::thread([this] { service_->Run(); });
        // Loading an engine's networks can take a while on a busy machine.
        for (int i = 0; i < 6000 && !service_->running(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    ~RunningService() {
        service_->Stop();
        thread_.join();
    }

    int port() const { return port_; }
    ocrgated::HttpService& service() { return *service_; }

    httplib::Client Client() const {
        httplib::Client client("127.0.0.1", port_);
        client.set_read_timeout(60, 0);
        client.set_connection_timeout(5, 0);
        return client;
    }

  private:
    std::unique_ptr<ocrgated::HttpService> service_;
    std::thread thread_;
    int port_ = 0;
};

// A request in the desktop client's form, with any parameter text, even what the client
// would never send.
inline std::string SoapRequest(const std::string& operation, const std::string& parameter = "",
                               const std::string& value = "") {
    std::string inner =
        parameter.empty() ? "" : "<" + parameter + ">" + value + "</" + parameter + ">";
    return "<?xml version=\"1.0\"?>\r\n<SOAP-ENV:Envelope xmlns:SOAP-ENV=\"" +
           std::string(soap::kSoapEnvelopeNs) + "\" xmlns:xsd=\"" +
           std::string(soap::kXmlSchemaNs) + "\" xmlns:xsi=\"" +
           std::string(soap::kXmlSchemaInstanceNs) + "\"><SOAP-ENV:Body><" + operation +
           " xmlns=\"" + std::string(ocrgate::kNamespace) + "\">" + inner + "</" + operation +
           "></SOAP-ENV:Body></SOAP-ENV:Envelope>";
}

struct SoapAnswer {
    int status = 0;
    std::string content_type;
    std::string body;
    std::string retry_after;
};

inline SoapAnswer PostSoap(const RunningService& running, const std::string& body,
                           const std::string& action = "",
                           const std::string& target = "/ocrgate/ocrgate.asmx?WSDL") {
    auto client = running.Client();
    httplib::Headers headers;
    if (!action.empty())
        headers.emplace("SOAPAction", action);
    auto result = client.Post(target.c_str(), headers, body, "text/xml; charset=\"utf-8\"");
    if (!result)
        return {};
    return {result->status, result->get_header_value("Content-Type"), result->body,
            result->get_header_value("Retry-After")};
}

// Sends raw bytes and reads whatever comes back until the server closes.
// Half-closing tells the server that nothing more is coming; a client that
// waits for its answer instead keeps its side open.
inline std::string RawExchange(int port, const std::string& bytes, bool half_close = true) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    timeval timeout{10, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    std::string answer;
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        (void)!send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (half_close)
            shutdown(fd, SHUT_WR);
        char buffer[4096];
        for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;)
            answer.append(buffer, std::size_t(n));
    }
    close(fd);
    return answer;
}

}  // namespace testing_support
