#pragma once

#include <curl/curl.h>

#include <optional>
#include <string>

namespace offrel {

// Names a PEM file of one more certificate authority, trusted besides the system's: the
// stand-in site's own, in development and tests.
inline constexpr const char* kExtraAuthorityVariable = "OFFREL_CA_FILE";

// Makes an https transfer check the site's certificate and host name against the system's
// authorities and the one OFFREL_CA_FILE names, if any. Nothing turns the check off: the login
// and password go inside.
void RequireVerifiedCertificate(CURL* curl);

// For a transfer that failed on its secure connection (code; curlText, curl's error buffer), a
// French sentence that names the reason; nullopt for any other failure.
std::optional<std::string> SecureConnectionFailure(CURL* curl, CURLcode code,
                                                   const std::string& host, const char* curlText);

}  // namespace offrel
