#include "server/Preflight.h"

#include <map>

#include "base/Windows1252.h"

namespace offrel {

std::vector<bool> PreflightProblems::SalesConcerned(int count) const {
    std::vector<bool> concerned(static_cast<std::size_t>(std::max(count, 0)), false);
    const auto mark = [&concerned](int sale) {
        if (sale >= 0 && static_cast<std::size_t>(sale) < concerned.size())
            concerned[static_cast<std::size_t>(sale)] = true;
    };
    for (const PhotoProblem& problem : photos) mark(problem.sale);
    for (const CategoryProblem& problem : categories) mark(problem.sale);
    return concerned;
}

void PreflightProblems::KeepSalesOf(const std::vector<bool>& inRun) {
    std::erase_if(photos, [&inRun](const PhotoProblem& problem) { return !inRun[problem.sale]; });
    std::erase_if(categories,
                  [&inRun](const CategoryProblem& problem) { return !inRun[problem.sale]; });
}

PreflightProblems CheckBeforeSending(const Table& cdsVente, const Table& cdsCategorie) {
    return {CheckSalePhotos(cdsVente), CheckSaleCategories(cdsVente, cdsCategorie)};
}

std::string PreflightList(const PreflightProblems& problems) {
    // Each sale's title and lines, kept in table order.
    std::map<int, std::pair<std::string, std::string>> sales;
    for (const CategoryProblem& problem : problems.categories) {
        auto& [libelle, lines] = sales[problem.sale];
        libelle = problem.libelle;
        lines += W("    catégorie ") + std::to_string(problem.slot) + " : " +
                 std::to_string(problem.id) + W(" — inconnue du site\n");
    }
    for (const PhotoProblem& problem : problems.photos) {
        auto& [libelle, lines] = sales[problem.sale];
        libelle = problem.libelle;
        lines += "    photo " + std::to_string(problem.slot) + " : " + problem.path + W(" — ") +
                 problem.reason + '\n';
    }
    std::string list;
    for (const auto& [position, sale] : sales) {
        if (!list.empty()) list += '\n';
        list += W("« ") + sale.first + W(" »\n") + sale.second;
    }
    return list;
}

}  // namespace offrel
