#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace offrel {

// The sale editor's state that outlives its window: the window is created anew at every
// opening, this lives for the whole run.
struct EditorState {
    // True: the editor changes the current row of cdsVente; false: it enters a new sale.
    bool ModeModification = false;
    // Full path of the photo of slots 1 to 8 (index 0 to 7); empty means no photo.
    std::array<std::string, 8> FichiersPhoto;
    // Category ID of slots 1 to 3: -1 nothing (set at every opening), 0 freed, >= 1 an ID.
    std::array<std::int32_t, 3> CatChoisies{-1, -1, -1};
    // For each level of the cascade, the category ID of each item of that level's list.
    std::array<std::vector<std::int32_t>, 7> CatIds;
};

}  // namespace offrel
