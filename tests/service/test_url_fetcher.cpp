// Fetching pictures for `quillory`: a loopback picture server with modes, the
// refused address ranges, redirects checked hop by hop, and the limits.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <httplib.h>

#include <thread>

#include "service/engines/recognizer.h"
#include "service/fetch/url_fetcher.h"

namespace ocrgated {
namespace {

class PictureServer {
  public:
    PictureServer() {
        server_.Get("/pic.png", [](const httplib::Request&, httplib::Response& res) {
            res.set_content(std::string("\x89PNG fake picture bytes", 22), "image/png");
        });
        server_.Get("/missing",
                    [](const httplib::Request&, httplib::Response& res) { res.status = 404; });
        server_.Get("/big", [](const httplib::Request&, httplib::Response& res) {
            res.set_content(std::string((20u << 20) + 1, 'x'), "image/png");
        });
        server_.Get("/slow", [](const httplib::Request&, httplib::Response& res) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1500));
            res.set_content("late", "image/png");
        });
        server_.Get(R"(/hop/(\d+))", [this](const httplib::Request& req, httplib::Response& res) {
            const int left = std::stoi(req.matches[1]);
            res.set_redirect(left == 0 ? base() + "/pic.png"
                                       : base() + "/hop/" + std::to_string(left - 1));
        });
        server_.Get("/to-other-loopback", [this](const httplib::Request&, httplib::Response& res) {
            res.set_redirect("http://127.0.0.2:" + std::to_string(port_) + "/pic.png");
        });
        server_.Get("/to-ftp", [](const httplib::Request&, httplib::Response& res) {
            res.set_redirect("ftp://127.0.0.1/pic.png");
        });
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        for (int i = 0; i < 500 && !server_.is_running(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ~PictureServer() {
        server_.stop();
        thread_.join();
    }
    std::string base() const { return "http://127.0.0.1:" + std::to_string(port_); }
    int port() const { return port_; }

  private:
    httplib::Server server_;
    std::thread thread_;
    int port_ = 0;
};

FetchOptions AllowPrivate() {
    FetchOptions options;
    options.allow_private = true;
    return options;
}

// Public rules everywhere, except that this one loopback address counts as public.
FetchOptions OnlyLoopbackOne() {
    FetchOptions options;
    options.permit = [](const sockaddr* address) {
        return address->sa_family == AF_INET &&
               reinterpret_cast<const sockaddr_in*>(address)->sin_addr.s_addr ==
                   htonl(INADDR_LOOPBACK);
    };
    return options;
}

TEST(UrlFetcher, FetchesFromLoopbackWhenAllowed) {
    PictureServer server;
    const auto bytes = FetchPicture(server.base() + "/pic.png", AllowPrivate());
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()),
              std::string("\x89PNG fake picture bytes", 22));
    // Three redirects are followed, each hop checked again.
    EXPECT_EQ(FetchPicture(server.base() + "/hop/2", AllowPrivate()).size(), 22u);
}

TEST(UrlFetcher, RefusesInternalAddressesByDefault) {
    PictureServer server;
    const std::string port = std::to_string(server.port());
    for (const std::string& url : std::vector<std::string>{
             "http://127.0.0.1:" + port + "/pic.png", "http://localhost:" + port + "/pic.png",
             "http://10.1.2.3/a.png", "http://169.254.169.254/latest/meta-data/",
             "http://[::1]:" + port + "/pic.png", "http://[::ffff:127.0.0.1]:" + port + "/pic.png",
             "http://0x7f000001:" + port + "/pic.png", "https://192.168.0.1/a.png",
             "http://224.0.0.1/a.png", "http://127.0.0.1.:" + port + "/pic.png",
             "http://0177.0.0.1:" + port + "/pic.png", "http://127.1:" + port + "/pic.png"}) {
        EXPECT_THROW(FetchPicture(url, FetchOptions{}), AddressRefused) << url;
    }
}

TEST(UrlFetcher, RefusesOtherSchemesAndNonsense) {
    for (const std::string& url :
         std::vector<std::string>{"file:///etc/passwd", "ftp://example.com/a.png", "gopher://x/",
                                  "not a url", "http://", "http://127.0.0.1%2509:80/a.png",
                                  "http://exa%20mple.org/a.png", "http://a..b/a.png"}) {
        EXPECT_THROW(FetchPicture(url, AllowPrivate()), AddressRefused) << url;
    }
}

TEST(UrlFetcher, ChecksEveryRedirectHop) {
    PictureServer server;
    EXPECT_EQ(FetchPicture(server.base() + "/pic.png", OnlyLoopbackOne()).size(), 22u);
    EXPECT_THROW(FetchPicture(server.base() + "/to-other-loopback", OnlyLoopbackOne()),
                 AddressRefused);
    EXPECT_THROW(FetchPicture(server.base() + "/to-ftp", AllowPrivate()), AddressRefused);
}

TEST(UrlFetcher, EnforcesRedirectSizeAndTimeLimits) {
    PictureServer server;
    EXPECT_THROW(FetchPicture(server.base() + "/hop/3", AllowPrivate()),
                 FetchFailed);  // four redirects
    EXPECT_THROW(FetchPicture(server.base() + "/big", AllowPrivate()), PictureTooLarge);
    EXPECT_THROW(FetchPicture(server.base() + "/missing", AllowPrivate()), FetchFailed);
    FetchOptions hasty = AllowPrivate();
    hasty.timeout = std::chrono::milliseconds(300);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_THROW(FetchPicture(server.base() + "/slow", hasty), FetchFailed);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}

}  // namespace
}  // namespace ocrgated
