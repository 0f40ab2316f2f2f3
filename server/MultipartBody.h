#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace offrel {

// One multipart/form-data request body. Its bytes are produced while they are sent: text parts
// are formatted when reached and photo contents are read from their open handles in pieces.
// It can be read from its start any number of times and gives the same bytes each time.
class TMultipartBody {
public:
    TMultipartBody();  // the boundary from the local time: "--------" and "mmddyyhhnnsszzz"
    explicit TMultipartBody(std::string boundary);
    ~TMultipartBody();  // closes the photo files
    TMultipartBody(const TMultipartBody&) = delete;
    TMultipartBody& operator=(const TMultipartBody&) = delete;

    const std::string& Boundary() const;
    std::string ContentType() const;  // "multipart/form-data; boundary=" and the boundary

    void AddTextField(std::string_view name, std::string_view value);
    // Opens the file at once; the path is Windows-1252 text and goes on the wire as it is.
    // Throws "Impossible d'ouvrir le fichier "%s". %s" when it cannot, leaving the body unchanged.
    void AddFileField(std::string_view name, const std::string& path, std::string_view contentType);

    // A file part whose contents are given rather than read from the file: a photo sent reduced
    // goes under its file's name.
    void AddFileBytes(std::string_view name, const std::string& path, std::string contents,
                      std::string_view contentType);

    std::uint64_t Size() const;  // the parts' lengths plus the closing line

    // Produces the body from its start: Rewind(), then Read() until it returns 0.
    void Rewind();
    std::size_t Read(char* buffer, std::size_t capacity);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace offrel
