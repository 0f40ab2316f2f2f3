#pragma once

#include <string>
#include <vector>

#include "server/CategoryCheck.h"
#include "server/PhotoCheck.h"
#include "tables/Table.h"

namespace offrel {

// What "Démarrer" finds before the first request: the photos that cannot be sent and the
// categories that the site does not hold, sale by sale.
struct PreflightProblems {
    std::vector<PhotoProblem> photos;
    std::vector<CategoryProblem> categories;

    bool Empty() const { return photos.empty() && categories.empty(); }
    // For each position of cdsVente (count rows), whether its sale has a problem.
    std::vector<bool> SalesConcerned(int count) const;
    // Leaves out the problems of the sales outside the run (inRun, by position).
    void KeepSalesOf(const std::vector<bool>& inRun);
};

PreflightProblems CheckBeforeSending(const Table& cdsVente, const Table& cdsCategorie);

// The list that the box shows: each sale's title in table order, then a line for each of its
// categories and photos with the slot, what it holds and the reason.
std::string PreflightList(const PreflightProblems& problems);

}  // namespace offrel
