#include "sale/CategoryCascade.h"

#include "tables/Rows.h"

namespace offrel {

CategoryCascade::CategoryCascade(Table& cdsCategorie, EditorState& state)
    : table_(cdsCategorie), state_(state) {
    levels_[0].visible = true;
}

std::int32_t CategoryCascade::IdAt(int row) const {
    return ValueAs<std::int32_t>(table_.ValueAt(row, CategoryColumn::kId));
}

std::int32_t CategoryCascade::ParentAt(int row) const {
    return ValueAs<std::int32_t>(table_.ValueAt(row, CategoryColumn::kParentId));
}

std::string CategoryCascade::LibelleAt(int row) const {
    return ValueAs<std::string>(table_.ValueAt(row, CategoryColumn::kLibelle));
}

void CategoryCascade::Fill(int k, std::int32_t parentId, bool takeFirstRow) {
    Level& level = levels_[k];
    std::vector<std::int32_t>& ids = state_.CatIds[k];
    level.labels.clear();
    level.chosen = -1;
    ++level.fills;
    ids.clear();
    const int count = table_.RecordCount();
    for (int row = 0; row < count; ++row) {
        if ((row == 0 && takeFirstRow) || (row > 0 && ParentAt(row) == parentId)) {
            level.labels.push_back(LibelleAt(row));
            ids.push_back(IdAt(row));
        }
    }
}

void CategoryCascade::Reset() {
    for (int k = 1; k < kLevels; ++k) {
        levels_[k].labels.clear();
        levels_[k].chosen = -1;
        levels_[k].visible = false;
        ++levels_[k].fills;
    }
    levels_[0].chosen = -1;
    if (table_.RecordCount() > 0) Fill(0, 0, true);
}

void CategoryCascade::Choose(int k, int index) {
    levels_[k].chosen = index;
    if (k == kLevels - 1) return;
    for (int deeper = k + 1; deeper < kLevels; ++deeper) levels_[deeper].visible = false;
    if (index < 0 || index >= static_cast<int>(state_.CatIds[k].size())) return;
    const std::int32_t parentId = state_.CatIds[k][index];
    if (table_.RecordCount() == 0) return;
    Fill(k + 1, parentId, false);
    levels_[k + 1].visible = !levels_[k + 1].labels.empty();
}

bool CategoryCascade::Add() {
    int k = kLevels - 1;
    while (k > 0 && !levels_[k].visible) --k;
    if (k == 0) return false;
    const int index = levels_[k].chosen;
    if (index < 0 || index >= static_cast<int>(levels_[k].labels.size())) return false;
    return AddCategory(state_.CatIds[k][index], levels_[k].labels[index]);
}

bool CategoryCascade::AddCategory(std::int32_t id, const std::string& libelle) {
    if (selected_.size() >= 3) return false;
    for (std::int32_t held : state_.CatChoisies)
        if (held == id) return false;
    for (int slot = 0; slot < 3; ++slot) {
        if (state_.CatChoisies[slot] < 1) {
            Append(slot, id, libelle);
            return true;
        }
    }
    return false;
}

void CategoryCascade::Remove(int row) {
    if (row < 0 || row >= static_cast<int>(selected_.size())) return;
    state_.CatChoisies[selected_[row].slot] = 0;
    selected_.erase(selected_.begin() + row);
}

void CategoryCascade::Append(int slot, std::int32_t id, const std::string& libelle) {
    state_.CatChoisies[slot] = id;
    selected_.push_back({libelle + " (#" + std::to_string(id) + ")", slot});
}

void CategoryCascade::RestoreThreePass(const std::array<std::int32_t, 3>& fields) {
    const int count = table_.RecordCount();
    for (int slot = 0; slot < 3; ++slot)
        for (int row = 1; row < count; ++row)
            if (IdAt(row) == fields[slot]) Append(slot, fields[slot], LibelleAt(row));
}

void CategoryCascade::RestoreSinglePass(const std::array<std::int32_t, 3>& fields) {
    const int count = table_.RecordCount();
    for (int row = 1; row < count; ++row) {
        const std::int32_t id = IdAt(row);
        for (int slot = 0; slot < 3; ++slot)
            if (id == fields[slot]) Append(slot, id, LibelleAt(row));
    }
}

}  // namespace offrel
