#include "sale/BulkChange.h"

#include "base/Error.h"
#include "base/Windows1252.h"
#include "sale/LoadSale.h"
#include "sale/SaleEntry.h"
#include "tables/ControlsSuspended.h"
#include "tables/Rows.h"

namespace offrel {

namespace {

constexpr std::string_view kLineBreak = "\r\n";

std::string ChangedDescription(const std::string& description, const DescriptionChange& change) {
    if (change.text.empty()) return description;
    if (change.append)
        return description.empty() ? change.text
                                   : description + std::string(kLineBreak) + change.text;
    if (!description.ends_with(change.text)) return description;
    std::string left = description.substr(0, description.size() - change.text.size());
    if (left.ends_with(kLineBreak)) left.resize(left.size() - kLineBreak.size());
    return left;
}

// The editor's checks of the sale as "Modifier une vente" would show it, its description's
// size among them; "" when the sale may be saved.
std::string Problems(const Sale& sale) {
    EditorState slots;
    for (int k = 0; k < 3; ++k) slots.CatChoisies[k] = sale.categorie[k].value_or(0);
    for (int k = 0; k < 8; ++k) slots.FichiersPhoto[k] = sale.photo[k].value_or(std::string());
    try {
        // The entry's lines are in UTF-8 for the editor's box; this report is the core's text.
        return Utf8ToWindows1252(SaleEntryErrors(EntryOfSale(sale), slots));
    } catch (const Error& error) {
        return std::string(error.what()) + "\r\n";
    }
}

std::string Named(const Sale& sale) {
    std::string name = W("« ") + sale.libelle.value_or(std::string()) + W(" »");
    if (sale.reference && !sale.reference->empty())
        name += FormatMessage(W(" (réf. %s)"), {*sale.reference});
    return name;
}

std::string Report(int failed, const std::string& lines) {
    const std::string count = std::to_string(failed);
    return (failed == 1 ? W("Aucune vente n'a été modifiée : 1 vente ne passerait pas les "
                            "contrôles de la saisie.")
                        : FormatMessage(W("Aucune vente n'a été modifiée : %s ventes ne "
                                          "passeraient pas les contrôles de la saisie."),
                                        {count})) +
           "\n" + lines;
}

}  // namespace

Sale ChangedSale(const Sale& sale, const BulkChange& change) {
    Sale changed = sale;
    if (change.price) changed.prix = ChangedPrice(sale.prix, *change.price);
    if (change.typeVente) {
        changed.typeVente = change.typeVente;
        changed.quantite = *change.typeVente == SaleType::Auction ? 1 : change.quantite;
    }
    if (change.dureeTypeVente) changed.dureeTypeVente = change.dureeTypeVente;
    if (change.renouvelable) changed.renouvelable = change.renouvelable;
    for (int box = 0; box < OptionCost::kBoxes; ++box)
        if (change.options[box]) changed.option[box] = change.options[box];
    if (!change.categories.empty()) {
        for (std::size_t slot = 0; slot < changed.categorie.size(); ++slot) {
            changed.categorie[slot] = slot < change.categories.size()
                                          ? std::optional(change.categories[slot])
                                          : std::nullopt;
        }
    }
    if (change.description) {
        changed.description =
            ChangedDescription(sale.description.value_or(std::string()), *change.description);
        if (!sale.description && changed.description->empty()) changed.description.reset();
    }
    return changed;
}

BulkOutcome ApplyBulkChange(Table& cdsVente, const std::vector<int>& positions,
                            const BulkChange& change) {
    std::vector<std::pair<int, Sale>> changed;
    BulkOutcome outcome;
    std::string lines;
    for (int position : positions) {
        const Sale sale = ReadSale(cdsVente, position);
        Sale after = ChangedSale(sale, change);
        if (after == sale) continue;
        const std::string problems = Problems(after);
        if (!problems.empty()) {
            ++outcome.failed;
            lines += "\n" + Named(sale) + W(" :\n") + problems;
        }
        changed.emplace_back(position, std::move(after));
    }
    if (outcome.failed > 0) {
        outcome.report = Report(outcome.failed, lines);
        return outcome;
    }
    ControlsSuspended suspended(cdsVente);
    for (const auto& [position, sale] : changed) {
        cdsVente.MoveTo(position);
        cdsVente.Edit();
        WriteSale(cdsVente, sale);
        cdsVente.Post();
        ++outcome.changed;
    }
    return outcome;
}

}  // namespace offrel
