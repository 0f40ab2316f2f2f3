// Any bytes as a sales file, imported whole into the sales table: the import either adds rows or
// stops with an Error, never crashes, and leaves no row half entered. What it stored reads and
// writes back as a table packet.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "base/Error.h"
#include "import/SalesImport.h"
#include "tables/ApplicationTables.h"

namespace {

// The input as a file without touching the disk.
class MemoryFile {
public:
    MemoryFile() : fd_(::memfd_create("ventes.csv", MFD_CLOEXEC)) {
        if (fd_ < 0) std::abort();
    }
    std::string Path() const { return "/proc/self/fd/" + std::to_string(fd_); }
    void Fill(const std::uint8_t* data, std::size_t size) {
        if (::ftruncate(fd_, 0) != 0) std::abort();
        for (std::size_t done = 0; done < size;) {
            const ssize_t written =
                ::pwrite(fd_, data + done, size - done, static_cast<off_t>(done));
            if (written <= 0) std::abort();
            done += static_cast<std::size_t>(written);
        }
    }

private:
    int fd_;
};

offrel::Table& EmptySales() {
    static offrel::ApplicationTables* tables = [] {
        auto* created = new offrel::ApplicationTables;
        created->cdsVente.SetFileName(std::string());  // never written to the disk
        created->cdsVente.Open();
        return created;
    }();
    tables->cdsVente.EmptyDataSet();
    return tables->cdsVente;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static MemoryFile file;
    file.Fill(data, size);
    offrel::Table& sales = EmptySales();
    try {
        offrel::ReadVentesFromCSV(sales, file.Path());
    } catch (const offrel::Error&) {
    }
    if (sales.State() != offrel::TableState::Browse) std::abort();
    for (int row = 0; row < sales.RecordCount(); ++row)
        for (int column = 0; column < static_cast<int>(sales.Columns().size()); ++column)
            sales.ValueAt(row, column);

    static offrel::ApplicationTables reread;
    const std::vector<std::uint8_t> packet = sales.SaveToPacket();
    reread.cdsVente.LoadFromPacket(packet.data(), packet.size());
    if (reread.cdsVente.RecordCount() != sales.RecordCount()) std::abort();
    return 0;
}
