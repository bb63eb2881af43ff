#pragma once
// An HttpService on an ephemeral loopback port, served from a background
// thread for the length of a test, and raw SOAP helpers to talk to it.

#include <httplib.h>

#include <string>
#include <thread>

#include "service/protocol/http_service.h"

namespace ocrgated::testing {

class RunningService {
  public:
    RunningService(ServiceOptions options, const RecognizerFactory& factory) {
        options.host = "127.0.0.1";
        options.port = 0;
        options.access_log = false;
        service_ = std::make_unique<HttpService>(options, factory);
        port_ = service_->Bind();
        thread_ = std::thread([this] { service_->Run(); });
        for (int i = 0; i < 500 && !service_->running(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    ~RunningService() {
        service_->Stop();
        thread_.join();
    }

    int port() const { return port_; }
    HttpService& service() { return *service_; }

    httplib::Client Client() const {
        httplib::Client client("127.0.0.1", port_);
        client.set_read_timeout(60, 0);
        client.set_connection_timeout(5, 0);
        return client;
    }

  private:
    std::unique_ptr<HttpService> service_;
    std::thread thread_;
    int port_ = 0;
};

// The request as the desktop client writes it.
inline std::string SoapRequest(const std::string& operation, const std::string& parameter = "",
                               const std::string& value = "") {
    std::string inner =
        parameter.empty() ? "" : "<" + parameter + ">" + value + "</" + parameter + ">";
    return "<?xml version=\"1.0\"?>\r\n<SOAP-ENV:Envelope "
           "xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\" "
           "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" "
           "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">"
           "<SOAP-ENV:Body><" +
           operation + " xmlns=\"http://quillory.org/ocrgate/\">" + inner + "</" + operation +
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

}  // namespace ocrgated::testing
