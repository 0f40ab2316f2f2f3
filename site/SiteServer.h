#pragma once

#include <httplib.h>

#include <memory>
#include <string>

#include "site/ReceivedForm.h"
#include "site/SaleCheck.h"
#include "site/SaleStore.h"
#include "site/SiteCatalogue.h"
#include "site/SiteOptions.h"

namespace offrel::site {

// The site's endpoint on loopback: POST /offrel.php with a multipart/form-data body whose
// "action" is "getOptions", "getCategories" or "putVente". Each connection serves one request,
// over https when the options give a certificate and its key.
class SiteServer {
public:
    static constexpr std::size_t kMaxBody = std::size_t(512) << 20;

    explicit SiteServer(const SiteOptions& options);

    int Bind(int port);  // the port bound on 127.0.0.1; throws when it cannot
    void Run();          // serves until Stop
    void Stop() { http_->stop(); }
    bool Secure() const { return secure_; }

private:
    void Post(const httplib::Request& request, httplib::Response& response,
              const httplib::ContentReader& reader);
    std::string Answer(ReceivedForm& form, std::string& logLine);

    SiteCatalogue catalogue_;
    SaleStore store_;
    Account account_;
    std::chrono::milliseconds delay_;
    int throttle_;
    std::string acceptedAnswer_;
    bool secure_;
    std::unique_ptr<httplib::Server> http_;
};

// One line on stdout, flushed at once; lines of concurrent requests never mix, and control
// characters in it are escaped.
void LogLine(const std::string& utf8);

}  // namespace offrel::site
