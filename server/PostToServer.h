#pragma once

#include <string>

#include "server/MultipartBody.h"

namespace offrel {

struct ServerAddress {
    std::string host;
    int port = 80;
    std::string path;  // "/offrel.php"
};

// From OFFREL_SERVER_URL when it is set, otherwise the stand-in site's default address.
ServerAddress ServerUrl();

// Sends the body to ServerUrl() as an HTTP/1.0 POST and returns the answer text (the response
// body, byte for byte). Throws an Error with the transport's text, or the status line, on failure.
std::string PostToServer(TMultipartBody& body);

}  // namespace offrel
