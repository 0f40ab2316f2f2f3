#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "server/SalesUpload.h"
#include "tables/ApplicationTables.h"
#include "tests/common/TempFolder.h"
#include "tests/server/RawServer.h"
#include "tests/server/RecordingViews.h"

// A sale with its title and a price, and a first photo when one is given.
inline void AppendSale(offrel::Table& t, const std::string& libelle,
                       const std::string& photo = "") {
    t.Append();
    t.FieldByName("Libelle").SetAsString(libelle);
    t.FieldByName("Prix").SetAsCurrency(offrel::Money::FromTicks(125000));
    if (!photo.empty()) t.FieldByName("Photo1").SetAsString(photo);
    t.Post();
}

// An upload against a raw server, with the sales table's file in a folder of the test's own.
class UploadFixture : public ::testing::Test {
protected:
    UploadFixture() {
        tables.cdsVente.Open();
        tables.cdsVente.SetFileName((dir.Path() / "Ventes.cds").string());
    }

    void AddSale(const std::string& libelle, const std::string& photo = "") {
        AppendSale(tables.cdsVente, libelle, photo);
    }

    std::vector<std::string> Titles() {
        std::vector<std::string> titles;
        for (int i = 0; i < tables.cdsVente.RecordCount(); ++i)
            titles.push_back(std::get<std::string>(tables.cdsVente.ValueAt(i, 1)));
        return titles;
    }

    // The upload; the text of its error box, if it showed one.
    std::string Run(const offrel::KeepAcceptedSale& keepAccepted = {}) {
        offrel::UploadChoices choices;
        choices.keepAccepted = keepAccepted;
        offrel::RunSalesUpload(tables.cdsVente, tables.cdsCategorie, "vendeur", "secret", view, {},
                               choices);
        return view.errors.empty() ? "" : view.errors.back();
    }

    offrel::testing::TempFolder dir;
    RawServer server;
    ScopedServerUrl url{server.Url()};
    offrel::ApplicationTables tables;
    RecordingUploadView view;
};
