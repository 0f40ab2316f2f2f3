#include "server/TlsCheck.h"

#include <cstdlib>
#include <string_view>

#include "base/Error.h"
#include "base/Windows1252.h"

namespace offrel {

namespace {

// The certificate check's verdict (OpenSSL's X509_V_ERR_* codes) in the seller's words. curl
// checks the host name itself, after a sound chain, and tells it only in its own words.
std::string CertificateReason(long verdict, const std::string& host, std::string_view curlText) {
    if (verdict == 62 /* X509_V_ERR_HOSTNAME_MISMATCH */ ||
        curlText.find("host name") != std::string_view::npos)
        return FormatMessage(W("le certificat du site n'est pas celui de « %s »"), {host});
    switch (verdict) {
        case 2:   // X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT
        case 18:  // X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT
        case 19:  // X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN
        case 20:  // X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY
        case 21:  // X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE
            return W(
                "le certificat du site n'est pas signé par une autorité que cet ordinateur "
                "reconnaît");
        case 9:  // X509_V_ERR_CERT_NOT_YET_VALID
            return W(
                "le certificat du site n'est pas encore valable (vérifiez la date de "
                "l'ordinateur)");
        case 10:  // X509_V_ERR_CERT_HAS_EXPIRED
            return W("le certificat du site a expiré (vérifiez la date de l'ordinateur)");
        case 23:  // X509_V_ERR_CERT_REVOKED
            return W("le certificat du site a été révoqué");
        default:
            return FormatMessage(W("le certificat du site n'a pas pu être vérifié (code %s)"),
                                 {std::to_string(verdict)});
    }
}

}  // namespace

void RequireVerifiedCertificate(CURL* curl) {
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    const char* extra = std::getenv(kExtraAuthorityVariable);
    if (extra == nullptr || *extra == '\0') return;
    // The file would replace the system's bundle: the system's folder of authorities, which
    // holds the same ones, is named beside it so that both are trusted.
    const char* systemFolder = nullptr;
    curl_easy_getinfo(curl, CURLINFO_CAPATH, &systemFolder);
    const std::string folder = systemFolder != nullptr ? systemFolder : "/etc/ssl/certs";
    curl_easy_setopt(curl, CURLOPT_CAPATH, folder.c_str());
    curl_easy_setopt(curl, CURLOPT_CAINFO, extra);
}

std::optional<std::string> SecureConnectionFailure(CURL* curl, CURLcode code,
                                                   const std::string& host, const char* curlText) {
    switch (code) {
        case CURLE_PEER_FAILED_VERIFICATION: {
            long verdict = 0;
            curl_easy_getinfo(curl, CURLINFO_SSL_VERIFYRESULT, &verdict);
            return FormatMessage(W("La connexion sécurisée au site est refusée : %s."),
                                 {CertificateReason(verdict, host, curlText)});
        }
        case CURLE_SSL_CACERT_BADFILE: {
            const char* extra = std::getenv(kExtraAuthorityVariable);
            return FormatMessage(
                W("Le fichier d'autorité « %s » que nomme OFFREL_CA_FILE ne peut pas être lu."),
                {Utf8ToWindows1252(extra != nullptr ? extra : "")});
        }
        case CURLE_SSL_CONNECT_ERROR:
        case CURLE_SSL_CERTPROBLEM:
        case CURLE_SSL_CIPHER:
        case CURLE_SSL_ISSUER_ERROR:
        case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
        case CURLE_SSL_INVALIDCERTSTATUS:
            return W(
                "La connexion sécurisée avec le site n'a pas pu s'établir : le site ne "
                "répond pas en https à cette adresse, ou refuse la négociation.");
        default:
            return std::nullopt;
    }
}

}  // namespace offrel
