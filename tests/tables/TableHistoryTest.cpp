#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <utility>

#include "tables/ApplicationTables.h"
#include "tables/ControlsSuspended.h"
#include "tables/Rows.h"
#include "tables/TableHistory.h"
#include "tests/tables/TableTestSupport.h"

namespace offrel {
namespace {

using testing::AppendRow;
using ::testing::ElementsAre;
using testing::Ids;
using testing::OptionColumns;

// A row as the tests compare it: its ID (which no change alters) and its label.
using Row = std::pair<int, std::string>;

std::vector<Row> Rows(const Table& table) {
    std::vector<Row> rows;
    for (int r = 0; r < table.RecordCount(); ++r)
        rows.emplace_back(ValueAs<std::int32_t>(table.ValueAt(r, 0)),
                          ValueAs<std::string>(table.ValueAt(r, 1)));
    return rows;
}

void SetLabel(Table& table, int position, const std::string& label) {
    table.MoveTo(position);
    table.Edit();
    table.FieldByName("Libelle").SetAsString(label);
    table.Post();
}

void DeleteAt(Table& table, int position) {
    table.MoveTo(position);
    table.Delete();
}

class TableHistoryTest : public ::testing::Test {
protected:
    void SetUp() override {
        table.Open();
        for (int id = 1; id <= 5; ++id) AppendRow(table, id, "r" + std::to_string(id));
    }

    template <class Change>
    void Step(const std::string& label, Change change) {
        history.BeginStep();
        change();
        history.EndStep(label);
    }

    Table table{"cdsOption", OptionColumns(), {}};
    TableHistory history{table};
};

TEST_F(TableHistoryTest, UndoAndRedoEachKindOfChangeStepByStep) {
    const std::vector<Row> start = Rows(table);
    Step("Suppression", [&] {
        DeleteAt(table, 3);
        DeleteAt(table, 1);
    });
    Step("Modification", [&] { SetLabel(table, 0, "changé"); });
    Step("Copie", [&] {
        table.MoveTo(1);
        table.Insert();
        table.FieldByName("ID").SetAsInteger(9);
        table.Post();
        AppendRow(table, 10, "fin");
    });
    const std::vector<Row> end = Rows(table);
    EXPECT_THAT(Ids(table), ElementsAre(1, 9, 3, 5, 10));

    EXPECT_EQ(history.Undo(), "Copie");
    EXPECT_THAT(Ids(table), ElementsAre(1, 3, 5));
    EXPECT_EQ(history.Undo(), "Modification");
    EXPECT_EQ(Rows(table)[0], Row(1, "r1"));
    EXPECT_EQ(history.Undo(), "Suppression");
    EXPECT_EQ(Rows(table), start);
    EXPECT_FALSE(history.CanUndo());
    EXPECT_EQ(history.Undo(), "");

    EXPECT_EQ(history.Redo(), "Suppression");
    EXPECT_EQ(history.Redo(), "Modification");
    EXPECT_EQ(history.Redo(), "Copie");
    EXPECT_EQ(Rows(table), end);
    EXPECT_FALSE(history.CanRedo());
    EXPECT_EQ(history.Redo(), "");
}

// A change undone is the row's own again: it keeps the record number that the send journal
// names it by; a row put back gets one of its own, distinct from every other row's.
TEST_F(TableHistoryTest, UndoneRowsKeepOrGetTheirOwnRecordNumbers) {
    const std::uint32_t first = table.RowOrigin(0);
    Step("Modification", [&] { SetLabel(table, 0, "changé"); });
    Step("Suppression", [&] { DeleteAt(table, 2); });
    history.Undo();
    history.Undo();
    EXPECT_EQ(table.RowOrigin(0), first);
    std::set<std::uint32_t> origins;
    for (int r = 0; r < table.RecordCount(); ++r) origins.insert(table.RowOrigin(r));
    EXPECT_EQ(origins.size(), 5u);
    history.Redo();
    EXPECT_EQ(table.RowOrigin(0), first);
    EXPECT_EQ(Rows(table)[0], Row(1, "changé"));
}

TEST_F(TableHistoryTest, ARowComesBackExactlyAsItWasAndTheFileReadsItBack) {
    ApplicationTables tables;
    Table& sales = tables.cdsVente;
    sales.Open();
    sales.EmptyDataSet();
    TableHistory salesHistory(sales);
    Sale sale;
    sale.libelle = "Lampe";
    sale.description = "";  // set but empty: not the same as no value
    sale.prix = Money::FromTicks(125000);
    sale.option[6] = false;
    sale.photo[7] = "/photos/lampe.jpg";
    sales.Append();
    WriteSale(sales, sale);
    sales.Post();

    salesHistory.BeginStep();
    sales.Edit();
    WriteSale(sales, Sale{});
    sales.Post();
    sales.Delete();
    salesHistory.EndStep("Suppression");
    ASSERT_EQ(sales.RecordCount(), 0);

    salesHistory.Undo();
    ASSERT_EQ(sales.RecordCount(), 1);
    EXPECT_EQ(ReadSale(sales, 0), sale);
    ApplicationTables reread;
    reread.cdsVente.Open();
    const std::vector<std::uint8_t> packet = sales.SaveToPacket();
    reread.cdsVente.LoadFromPacket(packet.data(), packet.size());
    ASSERT_EQ(reread.cdsVente.RecordCount(), 1);
    EXPECT_EQ(ReadSale(reread.cdsVente, 0), sale);
}

TEST_F(TableHistoryTest, AStepThatChangedNothingIsNotKeptAndANewStepEndsWhatCouldBeRedone) {
    Step("Rien", [] {});
    EXPECT_FALSE(history.CanUndo());

    Step("Un", [&] { SetLabel(table, 0, "a"); });
    Step("Deux", [&] { SetLabel(table, 1, "b"); });
    history.Undo();
    ASSERT_TRUE(history.CanRedo());
    Step("Rien encore", [] {});
    EXPECT_TRUE(history.CanRedo());  // nothing changed: what was undone can still come back
    Step("Trois", [&] { SetLabel(table, 2, "c"); });
    EXPECT_FALSE(history.CanRedo());
    EXPECT_EQ(history.Undo(), "Trois");
    EXPECT_EQ(history.Undo(), "Un");
}

TEST_F(TableHistoryTest, InnerStepsAddToTheOuterOne) {
    history.BeginStep();
    SetLabel(table, 0, "a");
    Step("Intérieur", [&] { DeleteAt(table, 4); });
    history.EndStep("Extérieur");
    EXPECT_EQ(history.Undo(), "Extérieur");
    EXPECT_EQ(Rows(table).size(), 5u);
    EXPECT_EQ(Rows(table)[0], Row(1, "r1"));
    EXPECT_FALSE(history.CanUndo());
}

TEST_F(TableHistoryTest, KeepsTheLastFiftySteps) {
    for (int n = 0; n < 60; ++n)
        Step("Pas " + std::to_string(n), [&] { AppendRow(table, 100 + n, ""); });
    int undone = 0;
    std::string last;
    while (history.CanUndo()) {
        last = history.Undo();
        ++undone;
    }
    EXPECT_EQ(undone, 50);
    EXPECT_EQ(last, "Pas 10");
    EXPECT_EQ(table.RecordCount(), 5 + 10);
}

TEST_F(TableHistoryTest, UndoIsOneBulkChangeForTheGrids) {
    struct Counting : TableListener {
        void RowAboutToBeInserted(int) override { ++rows; }
        void RowInserted(int) override {}
        void RowAboutToBeDeleted(int) override { ++rows; }
        void RowDeleted(int) override {}
        void RowChanged(int) override { ++rows; }
        void AboutToReset() override {}
        void Reset() override {}
        void ControlsDisabled() override {}
        void ControlsEnabled() override { ++enabled; }
        int rows = 0;
        int enabled = 0;
    } listener;
    Step("Suppression", [&] {
        ControlsSuspended suspended(table);
        for (int n = 0; n < 4; ++n) DeleteAt(table, 0);
    });
    table.AddListener(&listener);
    history.Undo();
    history.Redo();
    table.RemoveListener(&listener);
    EXPECT_EQ(listener.rows, 0);
    EXPECT_EQ(listener.enabled, 2);
}

TEST_F(TableHistoryTest, ARowThatAChangeOutsideTheStepsDeletedNeverComesBack) {
    Step("Modification", [&] { SetLabel(table, 2, "vendue"); });
    Step("Suppression", [&] { DeleteAt(table, 0); });
    // The upload deletes the sale the site accepted: row 3, now at position 1.
    DeleteAt(table, 1);
    EXPECT_EQ(history.Undo(), "Suppression");
    EXPECT_THAT(Ids(table), ElementsAre(1, 2, 4, 5));
    // The only change of that step was on the sent row: there is nothing left to undo.
    EXPECT_FALSE(history.CanUndo());
    EXPECT_EQ(history.Redo(), "Suppression");
    EXPECT_THAT(Ids(table), ElementsAre(2, 4, 5));
}

TEST_F(TableHistoryTest, ARowDeletedOutsideTheStepsIsNeitherDeletedAgainNorBroughtBack) {
    Step("Copie", [&] {
        AppendRow(table, 6, "copie");
        AppendRow(table, 7, "copie");
    });
    Step("Suppression", [&] { DeleteAt(table, 5); });
    history.Undo();
    DeleteAt(table, 5);  // row 6, sent
    EXPECT_FALSE(history.CanRedo());
    EXPECT_EQ(history.Undo(), "Copie");
    EXPECT_THAT(Ids(table), ElementsAre(1, 2, 3, 4, 5));
    EXPECT_EQ(history.Redo(), "Copie");
    EXPECT_THAT(Ids(table), ElementsAre(1, 2, 3, 4, 5, 7));
}

TEST_F(TableHistoryTest, RowsInsertedOutsideTheStepsStayAndTheStepsStillApply) {
    Step("Suppression", [&] {
        DeleteAt(table, 1);
        DeleteAt(table, 2);  // row 4
    });
    table.MoveTo(1);
    table.Insert();
    table.FieldByName("ID").SetAsInteger(7);
    table.Post();  // 1, 7, 3, 5
    history.Undo();
    EXPECT_THAT(Ids(table), ElementsAre(1, 2, 7, 3, 4, 5));
    history.Redo();
    EXPECT_THAT(Ids(table), ElementsAre(1, 7, 3, 5));
}

TEST_F(TableHistoryTest, EmptyingOrLoadingTheTableForgetsEverything) {
    Step("Un", [&] { SetLabel(table, 0, "a"); });
    Step("Deux", [&] { SetLabel(table, 0, "b"); });
    history.Undo();
    const std::vector<std::uint8_t> packet = table.SaveToPacket();
    table.LoadFromPacket(packet.data(), packet.size());
    EXPECT_FALSE(history.CanUndo());
    EXPECT_FALSE(history.CanRedo());
}

TEST_F(TableHistoryTest, APositionThatNoLongerExistsEmptiesTheHistoryAndKeepsTheTable) {
    Step("Un", [&] { SetLabel(table, 0, "a"); });
    Step("Suppression", [&] { DeleteAt(table, 4); });
    // Rows taken away behind the history's back, as no caller does: the error names the row,
    // and the history gives up rather than guess.
    table.SetRecorder(nullptr);
    DeleteAt(table, 0);
    DeleteAt(table, 0);
    EXPECT_EQ(testing::ErrorOf([&] { history.Undo(); }),
              "La ligne 5 n'existe pas dans la table cdsOption");
    EXPECT_FALSE(history.CanUndo());
    EXPECT_FALSE(history.CanRedo());
    EXPECT_THAT(Ids(table), ElementsAre(3, 4));
}

TEST_F(TableHistoryTest, HoldsImagesOnlyOfTheRowsThatAreNotInTheTable) {
    for (int id = 6; id <= 105; ++id) AppendRow(table, id, std::string(80, 'x'));
    const std::size_t empty = history.MemoryUsed();
    Step("Copie", [&] {
        for (int n = 0; n < 100; ++n) AppendRow(table, 1000 + n, std::string(80, 'y'));
    });
    const std::size_t afterInsertions = history.MemoryUsed() - empty;
    EXPECT_LT(afterInsertions, 100 * 40u);  // positions, no image
    history.Undo();                         // the copies are gone: their images are kept to redo
    EXPECT_GT(history.MemoryUsed() - empty, 100 * 80u);
    history.Redo();
    EXPECT_LT(history.MemoryUsed() - empty, 100 * 40u);
}

// Random steps of insertions, changes and deletions, undone and redone at random, with rows
// deleted and inserted outside the steps as an upload and the debug window do. The model is the
// chain of states that the steps lead to, each with the rows its step changed. At every point the
// table holds the rows of the state the history stands at, less those deleted outside the steps,
// in that order; the rows inserted outside the steps stand among them.
class HistoryModel {
public:
    explicit HistoryModel(std::vector<Row> start) { chain_.push_back({std::move(start), {}}); }

    void Stepped(std::vector<Row> state, std::set<int> touched) {
        chain_.resize(at_ + 1);
        chain_.push_back({std::move(state), std::move(touched)});
        ++at_;
    }
    void Undone() { --at_; }
    void Redone() { ++at_; }

    // A row deleted outside the steps: each step that changed it no longer does, down to the
    // nearest step on each side that took it away again (undoing its insertion, redoing its
    // deletion); a step left with no change is gone.
    void DeletedOutside(int id) {
        deleted_.insert(id);
        for (std::size_t k = at_; k >= 1; --k) {
            const bool taken = Holds(chain_[k].state, id) && !Holds(chain_[k - 1].state, id);
            if (Forget(k, id)) --at_;
            if (taken) break;
        }
        for (std::size_t k = at_ + 1; k < chain_.size();) {
            const bool taken = Holds(chain_[k - 1].state, id) && !Holds(chain_[k].state, id);
            if (!Forget(k, id)) ++k;
            if (taken) break;
        }
    }
    void InsertedOutside(int id) { inserted_.insert(id); }

    std::size_t UndoCount() const { return at_; }
    std::size_t RedoCount() const { return chain_.size() - 1 - at_; }
    std::vector<Row> Expected() const { return Kept(chain_[at_].state); }
    bool HoldsDeleted(const std::vector<Row>& rows) const {
        return std::any_of(rows.begin(), rows.end(),
                           [this](const Row& row) { return deleted_.count(row.first) > 0; });
    }
    std::vector<Row> Kept(const std::vector<Row>& rows) const {
        std::vector<Row> left;
        for (const Row& row : rows)
            if (!deleted_.count(row.first) && !inserted_.count(row.first)) left.push_back(row);
        return left;
    }

private:
    struct State {
        std::vector<Row> state;
        std::set<int> touched;
    };
    static bool Holds(const std::vector<Row>& rows, int id) {
        return std::any_of(rows.begin(), rows.end(),
                           [id](const Row& row) { return row.first == id; });
    }
    // True when the step is gone.
    bool Forget(std::size_t k, int id) {
        std::set<int>& touched = chain_[k].touched;
        if (!touched.erase(id) || !touched.empty()) return false;
        chain_.erase(chain_.begin() + static_cast<std::ptrdiff_t>(k));
        return true;
    }

    std::vector<State> chain_;
    std::size_t at_ = 0;
    std::set<int> deleted_;
    std::set<int> inserted_;
};

TEST(TableHistoryRandomTest, FollowsAModelOfStatesThroughChangesOutsideTheSteps) {
    for (unsigned seed = 1; seed <= 60; ++seed) {
        std::mt19937 random(seed);
        const auto pick = [&](int below) {
            return std::uniform_int_distribution<int>(0, below - 1)(random);
        };
        Table table{"cdsOption", OptionColumns(), {}};
        table.Open();
        int nextId = 1;
        for (; nextId <= 8; ++nextId) AppendRow(table, nextId, "v0");
        TableHistory history(table);
        HistoryModel model(Rows(table));
        const auto idAt = [&](int position) {
            return ValueAs<std::int32_t>(table.ValueAt(position, 0));
        };
        const auto insertAt = [&](int position, const std::string& label) {
            if (position == table.RecordCount()) {
                table.Append();
            } else {
                table.MoveTo(position);
                table.Insert();
            }
            table.FieldByName("ID").SetAsInteger(nextId);
            table.FieldByName("Libelle").SetAsString(label);
            table.Post();
            return nextId++;
        };

        // Fewer steps than the history keeps.
        for (int action = 0; action < 80; ++action) {
            const std::string label = "v" + std::to_string(action);
            const int kind = pick(10);
            if (kind < 5) {
                std::set<int> touched;
                history.BeginStep();
                for (int n = 1 + pick(4); n > 0; --n) {
                    const int rows = table.RecordCount();
                    const int what = rows == 0 ? 0 : pick(3);
                    if (what == 0) {
                        touched.insert(insertAt(pick(rows + 1), label));
                    } else if (what == 1) {
                        const int position = pick(rows);
                        touched.insert(idAt(position));
                        SetLabel(table, position, label);
                    } else {
                        const int position = pick(rows);
                        touched.insert(idAt(position));
                        DeleteAt(table, position);
                    }
                }
                history.EndStep("pas " + std::to_string(action));
                model.Stepped(Rows(table), std::move(touched));
            } else if (kind < 7) {
                if (history.CanUndo()) {
                    history.Undo();
                    model.Undone();
                }
            } else if (kind < 9) {
                if (history.CanRedo()) {
                    history.Redo();
                    model.Redone();
                }
            } else if (table.RecordCount() > 0 && pick(3) > 0) {
                const int position = pick(table.RecordCount());
                const int id = idAt(position);
                DeleteAt(table, position);
                model.DeletedOutside(id);
            } else {
                model.InsertedOutside(insertAt(pick(table.RecordCount() + 1), "dehors"));
            }
            const std::string where = "seed " + std::to_string(seed) + ", action " + label;
            ASSERT_EQ(history.UndoCount(), model.UndoCount()) << where;
            ASSERT_EQ(history.RedoCount(), model.RedoCount()) << where;
            ASSERT_EQ(model.Kept(Rows(table)), model.Expected()) << where;
            ASSERT_FALSE(model.HoldsDeleted(Rows(table))) << where;
        }
    }
}

}  // namespace
}  // namespace offrel
