#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "server/RequestWait.h"
#include "server/SaleRequest.h"
#include "tables/Table.h"

namespace offrel {

// The photo paths of each sale of cdsVente, by position.
std::vector<std::vector<std::string>> PhotosBySale(const Table& cdsVente);

// The photos of a run's sales reduced for sending on a thread of their own, one sale ahead of the
// upload: on a slow line the next sale's photos are ready before the current sale has gone, and
// the reduction adds nothing to the run's time. Only one sale is prepared at a time, which leaves
// the other core to the transfer.
class PhotoPreparation {
public:
    // photos: the photo paths of each sale of the run, by its position; wait: how the caller's
    // thread waits for a sale that is not ready yet.
    PhotoPreparation(std::vector<std::vector<std::string>> photos, RequestWait& wait);
    // Stops the sale being prepared after its current photo.
    ~PhotoPreparation();
    PhotoPreparation(const PhotoPreparation&) = delete;
    PhotoPreparation& operator=(const PhotoPreparation&) = delete;

    // Begins preparing the sale at position, unless it is being prepared; another sale being
    // prepared is given up.
    void Start(std::size_t position);

    // The reduced photos of the sale at position (ReducedPhoto), once they are all ready.
    ReducedPhotos Take(std::size_t position);

private:
    struct Job;

    std::vector<std::vector<std::string>> photos_;
    RequestWait& wait_;
    std::shared_ptr<Job> job_;
    std::jthread worker_;  // last: stopped and joined before the rest goes
};

}  // namespace offrel
