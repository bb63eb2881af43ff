// The service's answers to balancers, scrapers and toolkits: its description, liveness,
// readiness and metrics.

#include "service/http_service.h"
#include "service/soap/wsdl.h"

namespace ocrgated {

HttpReply HttpService::ServeWsdl() const {
    HttpReply reply;
    reply.body = WriteWsdl(options_.public_url.empty() ? ListenUrl() : options_.public_url);
    reply.operation = "WSDL";
    return reply;
}

HttpReply HttpService::ServeHealth() const {
    HttpReply reply = TextReply(200, "ok ocrgated " OCRGATED_VERSION "\n");
    reply.operation = "healthz";
    return reply;
}

HttpReply HttpService::ServeReadiness() const {
    std::string state = "ready";
    switch (phase_.load()) {
        case Phase::Starting:
            state = "starting";
            break;
        case Phase::Draining:
        case Phase::Refusing:
        case Phase::Stopped:
            state = "draining";
            break;
        case Phase::Ready:
            if (pool_->waiting() >= options_.queue_capacity)
                state = "queue full";
            break;
    }
    HttpReply reply = TextReply(state == "ready" ? 200 : 503, state + "\n");
    reply.operation = "readyz";
    return reply;
}

HttpReply HttpService::ServeMetrics() const {
    HttpReply reply = TextReply(200, loaded_ ? metrics_.Render() : std::string());
    reply.content_type = "text/plain; version=0.0.4; charset=utf-8";
    reply.operation = "metrics";
    return reply;
}

}  // namespace ocrgated
