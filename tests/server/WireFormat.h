#pragma once

#include <string>

// The bytes a request must carry, written out from the wire format independently of the code
// that produces them.
namespace wire {

inline std::string TextPart(const std::string& boundary, const std::string& name,
                            const std::string& value) {
    return "--" + boundary + "\r\nContent-Disposition: form-data; name=\"" + name + "\"\r\n\r\n" +
           value + "\r\n";
}

inline std::string FilePart(const std::string& boundary, const std::string& name,
                            const std::string& path, const std::string& contents) {
    return "--" + boundary + "\r\nContent-Disposition: form-data; name=\"" + name +
           "\"; filename=\"" + path + "\"\r\nContent-Type: multipart/form-data\r\n\r\n" + contents +
           "\r\n";
}

inline std::string Closing(const std::string& boundary) {
    return "--" + boundary + "--\r\n";
}

inline std::string Request(const std::string& host, const std::string& boundary,
                           const std::string& body) {
    return "POST /offrel.php HTTP/1.0\r\n"
           "Connection: keep-alive\r\n"
           "Content-Type: multipart/form-data; boundary=" +
           boundary +
           "\r\n"
           "Content-Length: " +
           std::to_string(body.size()) +
           "\r\n"
           "Host: " +
           host +
           "\r\n"
           "Accept: text/html, */*\r\n"
           "Accept-Encoding: identity\r\n"
           "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n"
           "\r\n" +
           body;
}

}  // namespace wire
