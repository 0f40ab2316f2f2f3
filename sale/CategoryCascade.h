#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "sale/EditorState.h"
#include "tables/Table.h"

namespace offrel {

// The category picker without its widgets: seven cascading levels over cdsCategorie, the three
// category slots and the list of selected categories. The window mirrors it on its controls.
//
// The first row of cdsCategorie is a top-level category whatever its ParentID: the top-level
// fill takes it unconditionally, every other scan looks only at the rows after it.
class CategoryCascade {
public:
    static constexpr int kLevels = 7;

    struct Level {
        std::vector<std::string> labels;  // Windows-1252, in the order of cdsCategorie
        bool visible = false;
        int chosen = -1;  // index of the chosen item, -1 when none
        int fills = 0;    // counts the fills, so that a view refills its list only when needed
    };

    // An entry of the selected list: its text "Libelle (#ID)" and the slot (0 to 2) holding it.
    struct Selected {
        std::string text;
        int slot;
    };

    CategoryCascade(Table& cdsCategorie, EditorState& state);

    const Level& level(int k) const { return levels_[k]; }
    const std::vector<Selected>& selected() const { return selected_; }

    // Levels 1 to 6 emptied and hidden; level 0 filled with the top-level categories.
    void Reset();
    // The seller chose item index of level k: deeper levels hidden, level k+1 filled with the
    // children and shown when there are any (k from 0 to 5; level 6 only records the choice).
    void Choose(int k, int index);
    // Adds the choice of the deepest visible level below the top; false for a silent refusal.
    bool Add();
    // Adds that category as "Ajouter >>" does (the lowest free slot, never twice, three at
    // most); false for a silent refusal.
    bool AddCategory(std::int32_t id, const std::string& libelle);
    // Frees the slot of the selected entry at that row and removes the entry.
    void Remove(int row);

    // The categories of a sale, by the IDs of its fields Categorie1 to Categorie3. The three-pass
    // restore lists them in field order, the single-pass one in the order of cdsCategorie.
    void RestoreThreePass(const std::array<std::int32_t, 3>& fields);
    void RestoreSinglePass(const std::array<std::int32_t, 3>& fields);

private:
    void Fill(int k, std::int32_t parentId, bool takeFirstRow);
    void Append(int slot, std::int32_t id, const std::string& libelle);
    std::int32_t IdAt(int row) const;
    std::int32_t ParentAt(int row) const;
    std::string LibelleAt(int row) const;

    Table& table_;
    EditorState& state_;
    std::array<Level, kLevels> levels_;
    std::vector<Selected> selected_;
};

}  // namespace offrel
