#include "app/SalesKeeping.h"

SalesKeeping::SalesKeeping(offrel::Table& cdsVente)
    : historyPath_(offrel::SalesHistoryPath(cdsVente.FileName())), backups_(cdsVente.FileName()) {
    backups_.Watch(cdsVente);
}

SalesKeeping::~SalesKeeping() = default;

offrel::SalesHistory& SalesKeeping::History() {
    if (!history_) history_ = std::make_unique<offrel::SalesHistory>(historyPath_);
    return *history_;
}

void SalesKeeping::KeepSent(const offrel::Sale& sale, std::int64_t answeredAt,
                            const std::string& login) {
    History().Add(sale, answeredAt, login);
}

std::vector<std::string> SalesKeeping::TakeNotices() {
    std::vector<std::string> notices;
    if (history_)
        if (auto damage = history_->TakeDamage()) notices.push_back(std::move(*damage));
    if (auto failure = backups_.TakeFailure()) notices.push_back(std::move(*failure));
    return notices;
}
