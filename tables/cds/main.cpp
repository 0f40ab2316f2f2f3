// offrel-cds: shows a table file as text or JSON, or copies it through the application's writer.
#include <iostream>
#include <string_view>

#include "base/Conversions.h"
#include "base/Error.h"
#include "base/Windows1252.h"
#include "tables/cds/TableFileDump.h"

int main(int argc, char** argv) {
    const std::string_view first = argc > 1 ? argv[1] : "";
    const bool json = first == "--json" && argc == 3;
    const bool copy = first == "--copy" && argc == 4;
    if (!(json || copy || (argc == 2 && !first.starts_with("--")))) {
        std::cerr << "usage : offrel-cds [--json] FICHIER | offrel-cds --copy ENTREE SORTIE\n";
        return 2;
    }
    offrel::SetDecimalSeparator('.');
    try {
        if (copy) {
            offrel::CopyTableFile(argv[2], argv[3]);
        } else if (json) {
            offrel::PrintTableJson(offrel::ReadTableFile(argv[2]), std::cout);
        } else {
            offrel::PrintTable(offrel::ReadTableFile(argv[1]), std::cout);
        }
    } catch (const offrel::Error& e) {
        std::cerr << offrel::Windows1252ToUtf8(e.what()) << "\n";
        return 1;
    }
    return 0;
}
