#include "server/PhotoPreparation.h"

#include <mutex>
#include <utility>

#include "photo/PhotoReduction.h"
#include "tables/Rows.h"

namespace offrel {

struct PhotoPreparation::Job {
    explicit Job(std::size_t at) : position(at) {}
    const std::size_t position;
    std::mutex mutex;
    bool done = false;
    ReducedPhotos reduced;
};

namespace {

constexpr std::chrono::milliseconds kReadyCheck{50};

ReducedPhotos ReduceAll(const std::vector<std::string>& paths, const std::stop_token& stop) {
    ReducedPhotos reduced;
    for (const std::string& path : paths) {
        if (stop.stop_requested()) break;
        if (reduced.contains(path)) continue;  // the same photo in another slot
        if (std::optional<std::string> bytes = ReducedPhoto(path))
            reduced.emplace(path, std::move(*bytes));
    }
    return reduced;
}

}  // namespace

std::vector<std::vector<std::string>> PhotosBySale(const Table& cdsVente) {
    std::vector<std::vector<std::string>> photos;
    for (int position = 0; position < cdsVente.RecordCount(); ++position) {
        std::vector<std::string>& paths = photos.emplace_back();
        for (const std::optional<std::string>& path : ReadSale(cdsVente, position).photo)
            if (path && !path->empty()) paths.push_back(*path);
    }
    return photos;
}

PhotoPreparation::PhotoPreparation(std::vector<std::vector<std::string>> photos, RequestWait& wait)
    : photos_(std::move(photos)), wait_(wait) {}

PhotoPreparation::~PhotoPreparation() = default;

void PhotoPreparation::Start(std::size_t position) {
    if (job_ && job_->position == position) return;
    worker_ = std::jthread();  // the sale given up stops after its current photo
    auto job = std::make_shared<Job>(position);
    job_ = job;
    worker_ = std::jthread(
        [job, paths = photos_.at(position), &wait = wait_](const std::stop_token& stop) {
            ReducedPhotos reduced = ReduceAll(paths, stop);
            {
                std::lock_guard lock(job->mutex);
                job->reduced = std::move(reduced);
                job->done = true;
            }
            wait.Wake();
        });
}

ReducedPhotos PhotoPreparation::Take(std::size_t position) {
    Start(position);
    for (;;) {
        {
            std::lock_guard lock(job_->mutex);
            if (job_->done) break;
        }
        wait_.WaitForWake(kReadyCheck);
    }
    worker_.join();
    ReducedPhotos reduced = std::move(job_->reduced);
    job_.reset();
    return reduced;
}

}  // namespace offrel
