// offrel-catalogue DIR [--categories N]: writes the generated Options.csv and Categories.csv
// into DIR, in Windows-1252, for the stand-in site and for trying the application offline.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "tables/CatalogueGenerator.h"

namespace {

int Usage() {
    std::fprintf(stderr, "usage: offrel-catalogue DIR [--categories N]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 4) return Usage();
    int categories = offrel::kCatalogueCategoryCount;
    if (argc == 4) {
        if (std::string(argv[2]) != "--categories") return Usage();
        char* end = nullptr;
        const long count = std::strtol(argv[3], &end, 10);
        if (*argv[3] == '\0' || *end != '\0' || count < 0 || count > 10000000) return Usage();
        categories = static_cast<int>(count);
    }
    try {
        offrel::WriteCatalogueFiles(argv[1], categories);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "offrel-catalogue: %s\n", error.what());
        return 1;
    }
    return 0;
}
