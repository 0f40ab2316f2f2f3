#include "server/MultipartBody.h"

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <functional>

#include "base/Error.h"
#include "tests/common/TempFolder.h"
#include "tests/server/WireFormat.h"

using offrel::TMultipartBody;

namespace {

const std::string kBoundary = "--------120926101530123";

std::string ReadAll(TMultipartBody& body, std::size_t piece) {
    std::string out;
    std::string buffer(piece, '\0');
    body.Rewind();
    while (std::size_t n = body.Read(buffer.data(), piece)) out.append(buffer.data(), n);
    return out;
}

std::string LocalTimeDigits(std::time_t when) {
    std::tm local{};
    localtime_r(&when, &local);
    char text[16];
    std::strftime(text, sizeof text, "%m%d%y%H%M%S", &local);
    return text;
}

std::string MessageOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const offrel::Error& error) {
        return error.what();
    }
    return "(nothing thrown)";
}

}  // namespace

TEST(MultipartBody, BoundaryIsTheLocalTimeOfCreation) {
    const std::time_t before = std::time(nullptr);
    TMultipartBody body;
    const std::time_t after = std::time(nullptr);
    const std::string& boundary = body.Boundary();
    ASSERT_EQ(boundary.size(), 23u);
    EXPECT_EQ(boundary.substr(0, 8), "--------");
    EXPECT_EQ(boundary.find_first_not_of("0123456789", 8), std::string::npos) << boundary;
    const std::string seconds = boundary.substr(8, 12);
    EXPECT_TRUE(seconds == LocalTimeDigits(before) || seconds == LocalTimeDigits(after))
        << boundary;
    EXPECT_EQ(body.ContentType(), "multipart/form-data; boundary=" + boundary);
}

TEST(MultipartBody, CatalogueRequestsHaveTheirFixedLengths) {
    TMultipartBody options;
    options.AddTextField("action", "getOptions");
    TMultipartBody categories;
    categories.AddTextField("action", "getCategories");
    EXPECT_EQ(options.Size(), 117u);
    EXPECT_EQ(categories.Size(), 120u);

    const std::string b = options.Boundary();
    EXPECT_EQ(ReadAll(options, 4096), wire::TextPart(b, "action", "getOptions") + wire::Closing(b));
    EXPECT_EQ(ReadAll(categories, 4096).size(), 120u);
}

TEST(MultipartBody, PartsComeInOrderWhateverThePieceSize) {
    offrel::testing::TempFolder dir;
    std::string photo;
    for (int i = 0; i < 200000; ++i) photo.push_back(static_cast<char>(i * 7 % 256));
    const std::string photoPath = dir.Write("velo.jpg", photo);
    const std::string emptyPath = dir.Write("vide.jpg", "");

    TMultipartBody body(kBoundary);
    body.AddTextField("action", "putVente");
    body.AddFileField("photo2", photoPath, "multipart/form-data");
    body.AddTextField("reference", "");
    body.AddFileField("photo5", emptyPath, "multipart/form-data");
    body.AddTextField("description", "ligne 1\r\n" + wire::Closing(kBoundary) + "ligne 3");

    const std::string expected =
        wire::TextPart(kBoundary, "action", "putVente") +
        wire::FilePart(kBoundary, "photo2", photoPath, photo) +
        wire::TextPart(kBoundary, "reference", "") +
        wire::FilePart(kBoundary, "photo5", emptyPath, "") +
        wire::TextPart(kBoundary, "description",
                       "ligne 1\r\n" + wire::Closing(kBoundary) + "ligne 3") +
        wire::Closing(kBoundary);
    EXPECT_EQ(body.Size(), expected.size());
    for (std::size_t piece : {1u, 7u, 25u, 4096u, 65536u, 1u << 20}) {
        EXPECT_EQ(ReadAll(body, piece), expected) << "pieces of " << piece;
    }
}

TEST(MultipartBody, FileThatCannotBeOpenedLeavesTheBodyUnchanged) {
    offrel::testing::TempFolder dir;
    TMultipartBody body(kBoundary);
    body.AddTextField("action", "putVente");
    const std::string before = ReadAll(body, 4096);
    const std::string missing = (dir.Path() / "absente.jpg").string();
    const std::string folder = dir.Path().string();

    EXPECT_EQ(MessageOf([&] { body.AddFileField("photo1", missing, "multipart/form-data"); }),
              "Impossible d'ouvrir le fichier \"" + missing + "\". No such file or directory");
    EXPECT_EQ(MessageOf([&] { body.AddFileField("photo1", folder, "multipart/form-data"); }),
              "Impossible d'ouvrir le fichier \"" + folder + "\". Is a directory");
    EXPECT_EQ(body.Size(), before.size());
    EXPECT_EQ(ReadAll(body, 4096), before);
}

TEST(MultipartBody, QuotesAndLineBreaksInNamesAndPathsAreEscaped) {
    offrel::testing::TempFolder dir;
    const std::string path = dir.Write("a\"b\r\nc.jpg", "xyz");
    const std::string escapedPath = (dir.Path() / "a%22b%0D%0Ac.jpg").string();
    TMultipartBody body(kBoundary);
    body.AddTextField("na\"me\n", "value \"kept\"\r\n");
    body.AddFileField("photo\r1", path, "multipart/form-data");

    const std::string expected = wire::TextPart(kBoundary, "na%22me%0A", "value \"kept\"\r\n") +
                                 wire::FilePart(kBoundary, "photo%0D1", escapedPath, "xyz") +
                                 wire::Closing(kBoundary);
    EXPECT_EQ(body.Size(), expected.size());
    EXPECT_EQ(ReadAll(body, 4096), expected);
}

TEST(MultipartBody, FileShortenedAfterItWasAddedFailsTheReading) {
    offrel::testing::TempFolder dir;
    const std::string path = dir.Write("photo.jpg", std::string(1000, 'p'));
    TMultipartBody body(kBoundary);
    body.AddFileField("photo1", path, "multipart/form-data");
    std::filesystem::resize_file(path, 10);
    const std::string message = MessageOf([&] { ReadAll(body, 4096); });
    EXPECT_NE(message.find(path), std::string::npos) << message;
    EXPECT_NE(message, "(nothing thrown)");
}

TEST(MultipartBody, FileGrownAfterItWasAddedSendsItsFirstSize) {
    offrel::testing::TempFolder dir;
    const std::string path = dir.Write("photo.jpg", "abc");
    TMultipartBody body(kBoundary);
    body.AddFileField("photo1", path, "multipart/form-data");
    dir.Write("photo.jpg", "abcdef");
    EXPECT_EQ(ReadAll(body, 4096),
              wire::FilePart(kBoundary, "photo1", path, "abc") + wire::Closing(kBoundary));
}
