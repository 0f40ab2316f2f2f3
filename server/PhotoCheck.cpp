#include "server/PhotoCheck.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "base/Error.h"
#include "base/FileNames.h"
#include "base/Windows1252.h"
#include "photo/JpegEnd.h"
#include "tables/Rows.h"

namespace offrel {

namespace {

std::string Unreadable(int error) {
    return W("fichier illisible (") + SystemReason(error) + ")";
}

// Why the file cannot be sent; empty when it can. O_NONBLOCK: a named pipe must not hold the
// check up.
std::string PhotoFault(const std::string& path) {
    const int fd = ::open(FileSystemName(path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        const int error = errno;
        if (error == ENOENT || error == ENOTDIR) return "fichier introuvable";
        if (error == EACCES || error == EPERM) return W("lecture non autorisée");
        return Unreadable(error);
    }
    std::string fault;
    struct stat status {};
    unsigned char head[3] = {};
    if (::fstat(fd, &status) != 0) {
        fault = Unreadable(errno);
    } else if (!S_ISREG(status.st_mode)) {
        fault = "ce n'est pas un fichier";
    } else if (const ssize_t got = ::pread(fd, head, sizeof head, 0); got < 0) {
        fault = Unreadable(errno);
    } else if (got != sizeof head || head[0] != 0xFF || head[1] != 0xD8 || head[2] != 0xFF) {
        fault = "ce n'est pas une image JPEG";
    } else if (!JpegReachesItsEnd(fd, static_cast<std::uint64_t>(status.st_size))) {
        fault = W("la photo est incomplète ou abîmée");
    }
    ::close(fd);
    return fault;
}

}  // namespace

std::vector<PhotoProblem> CheckSalePhotos(const Table& cdsVente) {
    std::vector<PhotoProblem> problems;
    const int count = cdsVente.RecordCount();
    for (int position = 0; position < count; ++position) {
        const Sale sale = ReadSale(cdsVente, position);
        for (int slot = 1; slot <= 8; ++slot) {
            const std::string path = sale.photo[slot - 1].value_or("");
            if (path.empty()) continue;
            std::string fault = PhotoFault(path);
            if (fault.empty()) continue;
            problems.push_back({position, sale.libelle.value_or(""), slot, path, std::move(fault)});
        }
    }
    return problems;
}

}  // namespace offrel
