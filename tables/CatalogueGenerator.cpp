#include "tables/CatalogueGenerator.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <numeric>
#include <string_view>
#include <vector>

#include "base/Error.h"
#include "base/Windows1252.h"

namespace offrel {

namespace {

// Categories per level of the site's tree, from the top.
constexpr std::array<int, 9> kLevelCounts = {29, 325, 2436, 3999, 2289, 1933, 17, 17, 3};
// Identifiers that the site's tree leaves unused between 1 and its largest.
constexpr int kIdentifierGaps = 49;
constexpr std::size_t kLongestName = 46;

constexpr std::array<std::string_view, 29> kTopLevelNames = {"Antiquités",
                                                             "Art",
                                                             "Auto, moto",
                                                             "Bébé",
                                                             "Bijoux, montres",
                                                             "Collections",
                                                             "Informatique",
                                                             "Jeux vidéo",
                                                             "Jouets",
                                                             "Livres",
                                                             "Maison",
                                                             "Musique",
                                                             "Photo",
                                                             "Sports",
                                                             "Téléphonie",
                                                             "Vêtements",
                                                             "Vins",
                                                             "Timbres",
                                                             "Monnaies",
                                                             "Cinéma, DVD",
                                                             "Électroménager",
                                                             "Jardin",
                                                             "Bricolage",
                                                             "Instruments de musique",
                                                             "Loisirs créatifs",
                                                             "Voyages",
                                                             "Santé, beauté",
                                                             "Animalerie",
                                                             "Divers"};

constexpr std::array<std::string_view, 40> kNouns = {
    "Affiches",  "Assiettes",  "Bandes dessinées", "Boîtes",      "Bougies",
    "Cartes",    "Céramiques", "Chapeaux",         "Chaussures",  "Disques",
    "Drapeaux",  "Éventails",  "Faïences",         "Figurines",   "Flacons",
    "Gravures",  "Horloges",   "Jeux de société",  "Lampes",      "Manuscrits",
    "Maquettes", "Médailles",  "Meubles",          "Miroirs",     "Objectifs",
    "Outils",    "Peintures",  "Pièces",           "Porcelaines", "Poupées",
    "Revues",    "Sacs",       "Sculptures",       "Tapis",       "Tissus",
    "Trains",    "Vases",      "Verreries",        "Vélos",       "Vinyles"};

constexpr std::array<std::string_view, 30> kQualifiers = {
    "anciens",          "anciennes",     "de collection",
    "d'occasion",       "pour enfants",  "du XIXe siècle",
    "du XXe siècle",    "régionaux",     "étrangers",
    "de marque",        "en métal",      "en bois",
    "en cuir",          "en argent",     "en céramique",
    "miniatures",       "publicitaires", "militaires",
    "religieux",        "de Noël",       "de la Belle Époque",
    "des années 1950",  "art déco",      "faits main",
    "à restaurer",      "signés",        "numérotés",
    "d'Extrême-Orient", "de Provence",   "et accessoires"};

// A fixed sequence of pseudo-random numbers (xorshift64*), the same on every platform.
class Sequence {
public:
    std::uint64_t Next() {
        state_ ^= state_ >> 12;
        state_ ^= state_ << 25;
        state_ ^= state_ >> 27;
        return state_ * 0x2545F4914F6CDD1DULL;
    }
    int Below(int bound) { return static_cast<int>(Next() % static_cast<std::uint64_t>(bound)); }

private:
    std::uint64_t state_ = 0x0FF2E1B21C4A7ULL;
};

struct Category {
    int id = 0;
    int parent = 0;  // index of the parent in the tree, -1 for a top-level category
    std::string name;
};

std::vector<int> LevelCounts(int count) {
    std::vector<int> counts(kLevelCounts.begin(), kLevelCounts.end());
    if (count == kCatalogueCategoryCount) return counts;
    for (int& levelCount : counts) {
        levelCount = static_cast<int>(std::int64_t{levelCount} * count / kCatalogueCategoryCount);
    }
    // What rounding lost goes to the top level, which therefore never is empty.
    counts.front() += count - std::accumulate(counts.begin(), counts.end(), 0);
    return counts;
}

std::string Name(Sequence& sequence) {
    std::string name(kNouns[sequence.Below(kNouns.size())]);
    switch (sequence.Below(4)) {
        case 0:
            break;
        case 1:
            name += std::string(" et ") + std::string(kNouns[sequence.Below(kNouns.size())]);
            break;
        default:
            name += ' ';
            name += kQualifiers[sequence.Below(kQualifiers.size())];
            if (sequence.Below(3) == 0) {
                name += ", ";
                name += kQualifiers[sequence.Below(kQualifiers.size())];
            }
    }
    std::string text = W(name);
    if (text.size() > kLongestName) text.resize(kLongestName);
    text.erase(text.find_last_not_of(" ,") + 1);
    return text;
}

// The tree level by level: every category of a level hangs under one of the level above.
std::vector<Category> BuildTree(const std::vector<int>& counts, Sequence& sequence) {
    std::vector<Category> tree;
    tree.reserve(std::accumulate(counts.begin(), counts.end(), std::size_t{0}));
    int levelStart = 0;
    for (std::size_t level = 0; level < counts.size(); ++level) {
        const int above = static_cast<int>(tree.size()) - levelStart;
        const int start = static_cast<int>(tree.size());
        for (int k = 0; k < counts[level]; ++k) {
            Category category;
            if (level == 0) {
                category.parent = -1;
                category.name = W(kTopLevelNames[k % kTopLevelNames.size()]);
            } else {
                category.parent = levelStart + sequence.Below(std::max(above, 1));
                category.name = Name(sequence);
            }
            tree.push_back(std::move(category));
        }
        levelStart = start;
    }
    // The shortest and the longest names of the site's tree, on the first two of the second
    // level.
    const std::size_t second = counts.front();
    if (counts.size() > 1 && counts[1] >= 2) {
        tree[second].name = "CD";
        tree[second + 1].name = W("Cartes postales anciennes de villes françaises");
    }
    return tree;
}

// Identifiers in the order of the tree, skipping evenly spread gaps.
void AssignIdentifiers(std::vector<Category>& tree) {
    const int count = static_cast<int>(tree.size());
    const int gaps =
        static_cast<int>(std::int64_t{kIdentifierGaps} * count / kCatalogueCategoryCount);
    const int spacing = gaps > 0 ? count / gaps : 0;
    int id = 0;
    for (int k = 0; k < count; ++k) {
        // A gap never comes first, so the identifiers start at 1.
        if (spacing > 0 && k % spacing == spacing / 2 && k / spacing < gaps) ++id;
        tree[k].id = ++id;
    }
}

// The lines of the file: mostly by identifier, but with every so many parents moved after the
// lines of their children, so the order is not ascending and a child can stand before its
// parent. The first line stays a top-level category.
std::vector<int> LineOrder(const std::vector<Category>& tree) {
    std::vector<bool> hasChildren(tree.size(), false);
    for (const Category& category : tree) {
        if (category.parent >= 0) hasChildren[category.parent] = true;
    }
    std::vector<int> order;
    std::vector<int> moved;
    for (int k = 0; k < static_cast<int>(tree.size()); ++k) {
        const bool move = k > 0 && hasChildren[k] && k % 97 == 1;
        (move ? moved : order).push_back(k);
    }
    order.insert(order.end(), moved.begin(), moved.end());
    return order;
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file) {
        throw Error(FormatMessage(W("Impossible d'écrire le fichier \"%s\". %s"),
                                  {path, std::strerror(errno)}));
    }
}

}  // namespace

std::string GenerateCategoriesCsv(int count) {
    Sequence sequence;
    std::vector<Category> tree = BuildTree(LevelCounts(std::max(count, 0)), sequence);
    AssignIdentifiers(tree);
    const std::vector<int> order = LineOrder(tree);
    // The one line with prices, as the site sends it.
    const int pricedLine = static_cast<int>(order.size()) / 2;
    std::string csv;
    csv.reserve(tree.size() * 40);
    for (int line = 0; line < static_cast<int>(order.size()); ++line) {
        const Category& category = tree[order[line]];
        csv += std::to_string(category.id);
        csv += ';';
        csv += category.parent < 0 ? "0" : std::to_string(tree[category.parent].id);
        csv += line == pricedLine ? ";1.5;1;" : ";0;0;";
        csv += category.name;
        csv += '\n';
    }
    return csv;
}

std::string GenerateOptionsCsv() {
    return W(
        "1;0.5;0.4;Titre en gras\n"
        "2;1;0.8;Sous-titre\n"
        "3;0.3;0.2;Encadré de couleur\n"
        "4;2;1.5;Mise en avant dans la catégorie\n"
        "5;1.5;1.2;Photo dans la liste\n"
        "6;3;2.5;Vitrine de la page d'accueil\n"
        "7;0.2;0.1;Compteur de visites\n");
}

void WriteCatalogueFiles(const std::string& folder, int categoryCount) {
    const std::string prefix = folder.empty() || folder.back() == '/' ? folder : folder + '/';
    WriteFile(prefix + "Options.csv", GenerateOptionsCsv());
    WriteFile(prefix + "Categories.csv", GenerateCategoriesCsv(categoryCount));
}

}  // namespace offrel
