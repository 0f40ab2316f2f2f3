#include "site/SiteServer.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "base/Windows1252.h"
#include "site/ReceivedForm.h"
#include "site/Throttle.h"

namespace offrel::site {

namespace {

const char* const kTextType = "text/plain; charset=windows-1252";

void Answer400(httplib::Response& response, int status, const std::string& text) {
    response.status = status;
    response.set_content(text, kTextType);
}

// Before the body is read: only POST /offrel.php with a body of a known, bounded length.
httplib::Server::HandlerResponse CheckRequest(const httplib::Request& request,
                                              httplib::Response& response) {
    if (request.method != "POST" || request.path != "/offrel.php") {
        Answer400(response, 400, W("Requête incorrecte : seul POST /offrel.php est servi"));
        return httplib::Server::HandlerResponse::Handled;
    }
    std::string length = request.get_header_value("Content-Length");
    std::uint64_t size = 0;
    auto [end, error] = std::from_chars(length.data(), length.data() + length.size(), size);
    if (length.empty() || error != std::errc() || end != length.data() + length.size()) {
        Answer400(response, 400, W("Requête incorrecte : la longueur du corps manque"));
        return httplib::Server::HandlerResponse::Handled;
    }
    if (size > SiteServer::kMaxBody) {
        Answer400(response, 413, W("Requête trop grande : 512 Mo au plus"));
        return httplib::Server::HandlerResponse::Handled;
    }
    return httplib::Server::HandlerResponse::Unhandled;
}

// The answer written a slice at a time, at the throttle's rate.
void SetThrottledContent(httplib::Response& response, std::string text, int throttle) {
    auto pace = std::make_shared<Throttle>(throttle);
    auto body = std::make_shared<std::string>(std::move(text));
    response.set_content_provider(
        body->size(), kTextType,
        [pace, body](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
            const std::size_t slice = std::min(length, pace->Slice());
            pace->Pass(slice);
            return sink.write(body->data() + offset, slice);
        });
}

std::unique_ptr<httplib::Server> MakeServer(const SiteOptions& options) {
    if (options.tlsCert.empty()) return std::make_unique<httplib::Server>();
    auto server =
        std::make_unique<httplib::SSLServer>(options.tlsCert.c_str(), options.tlsKey.c_str());
    if (!server->is_valid())
        throw std::runtime_error("cannot use the certificate " + options.tlsCert.string() +
                                 " with the key " + options.tlsKey.string());
    return server;
}

}  // namespace

void LogLine(const std::string& utf8) {
    // What a request sent is logged too: its line breaks and other control bytes are written as
    // \xNN, so that no request can add lines of its own to the log.
    std::string line;
    for (const char c : utf8) {
        if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F) {
            line.push_back(c);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned char>(c));
            line += escaped;
        }
    }
    static std::mutex mutex;
    std::lock_guard lock(mutex);
    std::fputs(line.c_str(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

SiteServer::SiteServer(const SiteOptions& options)
    : catalogue_(SiteCatalogue::Load(options.catalogue.empty() ? SiteCatalogue::ShippedDirectory()
                                                               : options.catalogue)),
      store_(options.store),
      account_{options.login, options.password},
      delay_(options.delay),
      throttle_(options.throttle),
      acceptedAnswer_(options.acceptedAnswer),
      secure_(!options.tlsCert.empty()),
      http_(MakeServer(options)) {
    http_->set_keep_alive_max_count(1);  // the application opens a connection per request
    http_->set_read_timeout(30);
    http_->set_write_timeout(30);
    http_->set_payload_max_length(kMaxBody);
    http_->set_pre_routing_handler(CheckRequest);
    if (throttle_ > 0) {
        // A slow line holds little in flight: without this, the system would take megabytes
        // of a body at once and the sender would see them gone long before the site has them.
        http_->set_socket_options([](socket_t socket) {
            httplib::default_socket_options(socket);
            const int size = 64 * 1024;
            setsockopt(socket, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
            const int segment = 1448;
            setsockopt(socket, IPPROTO_TCP, TCP_MAXSEG, &segment, sizeof segment);
        });
    }
    http_->Post("/offrel.php",
                [this](const httplib::Request& request, httplib::Response& response,
                       const httplib::ContentReader& reader) { Post(request, response, reader); });
    http_->set_error_handler([](const httplib::Request& request, httplib::Response& response) {
        if (response.body.empty()) response.set_content(W("Requête incorrecte"), kTextType);
        LogLine(std::to_string(response.status) + " " + request.method + " " + request.path + ": " +
                Windows1252ToUtf8(response.body));
    });
    http_->set_exception_handler([](const httplib::Request&, httplib::Response& response,
                                    std::exception_ptr error) {
        std::string what = "?";
        try {
            std::rethrow_exception(error);
        } catch (const std::exception& e) {
            what = e.what();
        }
        response.status = 500;
        response.set_content(W("Erreur interne du site : ") + Utf8ToWindows1252(what), kTextType);
    });
}

int SiteServer::Bind(int port) {
    bool bound = port == 0 ? (port = http_->bind_to_any_port("127.0.0.1")) > 0
                           : http_->bind_to_port("127.0.0.1", port);
    if (!bound) throw std::runtime_error("cannot listen on 127.0.0.1:" + std::to_string(port));
    return port;
}

void SiteServer::Run() {
    http_->listen_after_bind();
}

void SiteServer::Post(const httplib::Request& request, httplib::Response& response,
                      const httplib::ContentReader& reader) {
    Throttle reading(throttle_);
    if (!request.is_multipart_form_data()) {
        // read to the end before answering
        reader([&reading](const char*, std::size_t size) {
            reading.Pass(size);
            return true;
        });
        Answer400(response, 400,
                  W("Requête incorrecte : le corps n'est pas un formulaire multipart/form-data"));
        return;
    }
    ReceivedForm form(store_);
    bool complete = reader(
        [&form](const httplib::MultipartFormData& part) {
            form.BeginPart(part.name, part.filename);
            return true;
        },
        [&form, &reading](const char* data, std::size_t size) {
            reading.Pass(size);
            form.Append(data, size);
            return true;
        });
    form.Finish();
    if (!complete) {
        Answer400(response, response.status == 413 ? 413 : 400,
                  W("Requête incorrecte : le formulaire multipart/form-data est mal formé"));
        return;
    }
    std::this_thread::sleep_for(delay_);
    std::string logLine;
    std::string answer = Answer(form, logLine);
    if (throttle_ > 0)
        SetThrottledContent(response, std::move(answer), throttle_);
    else
        response.set_content(answer, kTextType);
    LogLine(logLine);
}

std::string SiteServer::Answer(ReceivedForm& form, std::string& logLine) {
    const std::string* action = form.Sale().Field("action");
    std::string answer;
    if (form.Problem()) {
        answer = *form.Problem();
    } else if (!action) {
        answer = W("Aucune action n'est demandée");
    } else if (*action == "getOptions") {
        answer = catalogue_.Options();
    } else if (*action == "getCategories") {
        answer = catalogue_.Categories();
    } else if (*action == "putVente") {
        if (auto refusal = CheckSale(form.Sale(), account_, catalogue_)) {
            answer = *refusal;
        } else {
            // a sale without any photo part is refused above, so it has its pending folder
            std::string number = store_.Commit(*form.Pending(), form.Sale());
            logLine = "putVente: OK, sale " + number;
            return acceptedAnswer_;
        }
    } else {
        answer = W("Action inconnue : ") + *action;
    }
    std::string name = action ? Windows1252ToUtf8(*action) : std::string("(no action)");
    bool catalogue =
        action && (*action == "getOptions" || *action == "getCategories") && !form.Problem();
    logLine = name + ": " +
              (catalogue ? std::to_string(answer.size()) + " bytes"
                         : "refused, " + Windows1252ToUtf8(answer));
    return answer;
}

}  // namespace offrel::site
