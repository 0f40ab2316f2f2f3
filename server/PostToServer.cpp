#include "server/PostToServer.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <exception>
#include <memory>
#include <mutex>

#include "base/Error.h"
#include "base/Windows1252.h"
#include "server/TlsCheck.h"

namespace offrel {

namespace {

PostTimeouts g_timeouts;

[[noreturn]] void ThrowBadUrl(const std::string& url) {
    throw Error(FormatMessage(
        W("L'adresse du site \"%s\" n'est pas une adresse http(s)://hôte[:port]/chemin."), {url}));
}

constexpr int DefaultPort(bool secure) {
    return secure ? 443 : 80;
}

ServerAddress ParseServerUrl(const std::string& url) {
    ServerAddress address;
    const std::size_t schemeEnd = url.find("://");
    const std::string scheme = url.substr(0, schemeEnd);
    if (schemeEnd == std::string::npos || (scheme != "http" && scheme != "https")) ThrowBadUrl(url);
    address.secure = scheme == "https";
    address.port = DefaultPort(address.secure);
    const std::string rest = url.substr(schemeEnd + 3);
    const std::size_t slash = rest.find('/');
    const std::string authority = rest.substr(0, slash);
    address.path = slash == std::string::npos ? "/" : rest.substr(slash);
    const std::size_t colon = authority.rfind(':');
    address.host = authority.substr(0, colon);
    if (colon != std::string::npos) {
        const std::string digits = authority.substr(colon + 1);
        if (digits.empty() || digits.size() > 5 ||
            digits.find_first_not_of("0123456789") != std::string::npos)
            ThrowBadUrl(url);
        address.port = std::stoi(digits);
        if (address.port < 1 || address.port > 65535) ThrowBadUrl(url);
    }
    if (address.host.empty()) ThrowBadUrl(url);
    return address;
}

// What one exchange gathers from curl's callbacks.
struct Exchange {
    TMultipartBody* body = nullptr;
    const TransferProgressCallback* onProgress = nullptr;
    const PostOptions* options = nullptr;
    std::uint64_t handedOver = 0;    // body bytes given to the transfer since the last rewind
    bool bodyEndTold = false;        // beforeBodyEnd was called
    std::exception_ptr bodyFailure;  // an error of the body, raised again after the transfer
    std::string answer;
    bool answerCut = false;  // the answer went past the limit and its reading was stopped
    std::string statusLine;  // of the last answer, interim answers passed over
    bool hasLocation = false;
    char curlText[CURL_ERROR_SIZE] = {};  // curl's own words on a failure
};

std::size_t ReadBody(char* buffer, std::size_t size, std::size_t count, void* user) {
    auto* exchange = static_cast<Exchange*>(user);
    try {
        const std::size_t read = exchange->body->Read(buffer, size * count);
        const bool last = read > 0 && exchange->handedOver + read == exchange->body->Size();
        if (last && !exchange->bodyEndTold && exchange->options->beforeBodyEnd) {
            exchange->bodyEndTold = true;
            exchange->options->beforeBodyEnd();
        }
        exchange->handedOver += read;
        return read;
    } catch (...) {
        exchange->bodyFailure = std::current_exception();
        return CURL_READFUNC_ABORT;
    }
}

int SeekBody(void* user, curl_off_t offset, int origin) {
    if (offset != 0 || origin != SEEK_SET) return CURL_SEEKFUNC_CANTSEEK;
    auto* exchange = static_cast<Exchange*>(user);
    exchange->body->Rewind();
    exchange->handedOver = 0;
    return CURL_SEEKFUNC_OK;
}

std::size_t WriteAnswer(char* data, std::size_t size, std::size_t count, void* user) {
    auto* exchange = static_cast<Exchange*>(user);
    const std::size_t limit = exchange->options->answerLimit;
    // One byte past the limit tells the caller that the answer was longer.
    const std::size_t room = limit >= std::numeric_limits<std::size_t>::max() - 1
                                 ? limit
                                 : limit + 1 - std::min(limit + 1, exchange->answer.size());
    if (size * count <= room) {
        exchange->answer.append(data, size * count);
        return size * count;
    }
    exchange->answer.append(data, room);
    exchange->answerCut = true;
    return 0;  // stops the transfer: the rest is never read
}

int ReportProgress(void* user, curl_off_t toReceive, curl_off_t received, curl_off_t toSend,
                   curl_off_t sent) {
    const auto* exchange = static_cast<Exchange*>(user);
    try {
        (*exchange->onProgress)(
            {static_cast<std::uint64_t>(sent), static_cast<std::uint64_t>(toSend),
             static_cast<std::uint64_t>(received), static_cast<std::uint64_t>(toReceive)});
    } catch (...) {
        // Only a display misses one figure: the request goes on, its answer must be known.
    }
    return 0;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
    return true;
}

std::size_t ReadHeader(char* data, std::size_t size, std::size_t count, void* user) {
    auto* exchange = static_cast<Exchange*>(user);
    std::string_view line(data, size * count);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
    if (StartsWithNoCase(line, "http/")) {
        exchange->statusLine = line;
        exchange->hasLocation = false;
        exchange->answer.clear();
        exchange->answerCut = false;
    } else if (StartsWithNoCase(line, "location:")) {
        exchange->hasLocation = true;
    }
    return size * count;
}

void InitCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct CurlDeleter {
    void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

std::string HostHeader(const ServerAddress& address) {
    std::string host = address.host;
    if (address.port != DefaultPort(address.secure)) host += ":" + std::to_string(address.port);
    return host;
}

// The failure of a transfer that curl reports, in a French sentence of its own: libcurl's text is
// English and speaks of sockets.
PostFailure TransportFailure(CURL* curl, CURLcode code, const ServerAddress& address,
                             const char* curlText, bool bodySent) {
    using Kind = PostFailure::Kind;
    const auto failure = [bodySent](std::string_view text, Kind kind = Kind::Transport) {
        return PostFailure(std::string(text), bodySent, kind);
    };
    if (const auto secure = SecureConnectionFailure(curl, code, address.host, curlText))
        return failure(*secure);
    switch (code) {
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_RESOLVE_PROXY:
            return failure(FormatMessage(W("Le site « %s » est introuvable : l'ordinateur n'est "
                                           "pas connecté à Internet, ou l'adresse est inconnue."),
                                         {address.host}),
                           Kind::NoConnection);
        case CURLE_COULDNT_CONNECT:
            return failure(W("Le site ne répond pas : la connexion a été refusée ou n'a pas pu "
                             "s'établir."),
                           Kind::NoConnection);
        case CURLE_OPERATION_TIMEDOUT: {
            curl_off_t connected = 0;
            curl_easy_getinfo(curl, CURLINFO_CONNECT_TIME_T, &connected);
            if (connected == 0)
                return failure(
                    FormatMessage(W("Le site ne répond pas (aucune connexion en %s secondes)."),
                                  {std::to_string(g_timeouts.connect.count())}),
                    Kind::NoConnection);
            return failure(
                FormatMessage(W("Le site ne répond pas (aucune réponse depuis %s secondes)."),
                              {std::to_string(g_timeouts.stall.count())}));
        }
        case CURLE_SEND_ERROR:
            return failure(W("La connexion avec le site a été coupée pendant l'envoi."));
        case CURLE_RECV_ERROR:
            return failure(
                W("La réponse du site n'a pas pu être reçue : la connexion a été "
                  "coupée, ou la réponse est abîmée."));
        case CURLE_GOT_NOTHING:
            return failure(W("Le site a fermé la connexion sans répondre."));
        case CURLE_PARTIAL_FILE:
            return failure(W("La réponse du site s'est arrêtée avant sa fin."));
        case CURLE_UNSUPPORTED_PROTOCOL:  // an answer without a status line
        case CURLE_WEIRD_SERVER_REPLY:
        case CURLE_BAD_CONTENT_ENCODING:
        case CURLE_RANGE_ERROR:
        case CURLE_HTTP2:
            return failure(W("La réponse du site n'est pas une réponse HTTP lisible."));
        default:
            return failure(FormatMessage(W("Erreur de communication avec le site (code %s)."),
                                         {std::to_string(static_cast<int>(code))}));
    }
}

// "HTTP/1.1 503 Service Unavailable" as "503 (Service Unavailable)"; the site's words are kept
// short.
std::string StatusText(std::string_view statusLine) {
    constexpr std::size_t kLongestReason = 80;
    const std::size_t codeStart = statusLine.find(' ');
    if (codeStart == std::string_view::npos) return std::string(statusLine);
    std::string_view rest = statusLine.substr(codeStart + 1);
    const std::size_t codeEnd = rest.find(' ');
    const std::string code(rest.substr(0, codeEnd));
    if (codeEnd == std::string_view::npos) return code;
    const std::string_view reason = rest.substr(codeEnd + 1, kLongestReason);
    if (reason.find_first_not_of(' ') == std::string_view::npos) return code;
    return code + " (" + std::string(reason) + ")";
}

PostFailure StatusFailure(long status, bool redirected, const std::string& statusLine,
                          bool bodySent) {
    const std::string text = StatusText(statusLine);
    const std::string message =
        redirected || (status >= 300 && status <= 399)
            ? FormatMessage(W("Le site a répondu par une redirection (%s) au lieu de sa réponse."),
                            {text})
            : FormatMessage(W("Le site a répondu par l'erreur %s."), {text});
    return PostFailure(message, bodySent, PostFailure::Kind::Status);
}

}  // namespace

ServerAddress ServerUrl() {
    const char* url = std::getenv("OFFREL_SERVER_URL");
    if (url != nullptr && *url != '\0') return ParseServerUrl(url);
    return ServerAddress{false, "127.0.0.1", 8642, "/offrel.php"};
}

bool PasswordTravelsInClear(const ServerAddress& address) {
    if (address.secure) return false;
    const std::string& host = address.host;
    const bool loopbackV4 =
        host.starts_with("127.") && host.find_first_not_of("0123456789.") == std::string::npos;
    return !loopbackV4 && host != "localhost" && host != "[::1]" && host != "::1";
}

void SetPostTimeouts(const PostTimeouts& timeouts) {
    g_timeouts = timeouts;
}

std::string PostToServer(TMultipartBody& body, const TransferProgressCallback& onProgress,
                         const PostOptions& options) {
    InitCurlOnce();
    const ServerAddress address = ServerUrl();
    const char* scheme = address.secure ? "https" : "http";
    const std::string url = std::string(scheme) + "://" + address.host + ":" +
                            std::to_string(address.port) + address.path;

    // These seven headers replace curl's own, in this order; curl adds none of its own. The
    // empty "Host:" first keeps curl from writing the host ahead of the others.
    curl_slist* list = nullptr;
    for (const std::string& header : {
             std::string("Host:"),
             std::string("Connection: keep-alive"),
             "Content-Type: " + body.ContentType(),
             "Content-Length: " + std::to_string(body.Size()),
             "Host: " + HostHeader(address),
             std::string("Accept: text/html, */*"),
             std::string("Accept-Encoding: identity"),
             std::string("User-Agent: Mozilla/3.0 (compatible; Indy Library)"),
             std::string("Expect:"),
             std::string("Transfer-Encoding:"),
         })
        list = curl_slist_append(list, header.c_str());
    std::unique_ptr<curl_slist, CurlDeleter> headers(list);

    // A fresh handle each time: no connection, cookie or header carries over.
    std::unique_ptr<CURL, CurlDeleter> handle(curl_easy_init());
    CURL* curl = handle.get();
    if (curl == nullptr) throw Error("Erreur de communication avec le site : curl_easy_init");
    Exchange exchange;
    exchange.body = &body;
    exchange.options = &options;
    body.Rewind();

    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, scheme);
    if (address.secure) RequireVerifiedCertificate(curl);
    curl_easy_setopt(curl, CURLOPT_PROXY, "");
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_FORBID_REUSE, 1L);
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(curl, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_0);
    curl_easy_setopt(curl, CURLOPT_HTTP_CONTENT_DECODING, 0L);
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(curl, CURLOPT_POST, 1L);
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.Size()));
    curl_easy_setopt(curl, CURLOPT_READFUNCTION, ReadBody);
    curl_easy_setopt(curl, CURLOPT_READDATA, &exchange);
    curl_easy_setopt(curl, CURLOPT_SEEKFUNCTION, SeekBody);
    curl_easy_setopt(curl, CURLOPT_SEEKDATA, &exchange);
    curl_easy_setopt(curl, CURLOPT_UPLOAD_BUFFERSIZE, 512L * 1024L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, WriteAnswer);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &exchange);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, ReadHeader);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &exchange);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, exchange.curlText);
    if (onProgress) {
        exchange.onProgress = &onProgress;
        curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, ReportProgress);
        curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &exchange);
        curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    }
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, static_cast<long>(g_timeouts.connect.count()));
    // A transfer that moves goes on however slow it is; one that stops fails.
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, static_cast<long>(g_timeouts.stall.count()));

    CURLcode code = curl_easy_perform(curl);
    if (exchange.bodyFailure) std::rethrow_exception(exchange.bodyFailure);
    if (code == CURLE_WRITE_ERROR && exchange.answerCut) code = CURLE_OK;
    // Bytes given to the transfer may not have left yet: counting them errs on the side of "sent".
    const bool bodySent = exchange.handedOver == body.Size();
    if (code != CURLE_OK) throw TransportFailure(curl, code, address, exchange.curlText, bodySent);

    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    if (status < 200 || status > 299 || exchange.hasLocation)
        throw StatusFailure(status, exchange.hasLocation, exchange.statusLine, bodySent);
    return std::move(exchange.answer);
}

}  // namespace offrel
