#pragma once

#include <QDialog>
#include <QPixmap>
#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "sale/CategoryCascade.h"
#include "sale/EditorState.h"
#include "tables/ApplicationTables.h"

class CategorySearchPanel;
class CompactTabStyle;
class DescriptionLimit;
class PreviewDecoding;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

namespace Ui {
class TForm2;
}

// The sale editor: the modal window in which the seller enters a new sale or changes the current
// row of cdsVente. Created anew at every opening; the state that outlives it is EditorState.
class TForm2 : public QDialog {
    Q_OBJECT

public:
    // dataFolder: the folder of the table files (file-system bytes), where the recent categories
    // are kept.
    TForm2(offrel::ApplicationTables& tables, offrel::EditorState& state, std::string dataFolder,
           QWidget* parent = nullptr);
    ~TForm2() override;

    // The opening: fills the five pages from the mode and cdsVente, runs when the window shows.
    void FormShow();

    // Handlers, named after their control and event.
    void ButtonPagePrecedenteClick();
    void ButtonPageSuivanteClick();
    void PageControlVenteChange();
    void Button1Click();
    void ButtonAnnulerClick();
    void ButtonValidationClick();
    void RadioGroupTypeVenteClick();
    void CatCbxChange(int level, int index);  // CatCbx0Change to CatCbx5Change
    void ButtonAjoutCategorieClick();
    void ButtonSupprimerCategorieClick();
    void CheckBoxClick(int box);      // CheckBox1Click to CheckBox7Click; box from 1
    void ButtonImageClick(int slot);  // ButtonImage1Click to ButtonImage8Click; slot from 1
    void DelPhotoClick(int slot);     // DelPhoto1Click to DelPhoto8Click; slot from 1
    // Files dropped on page 4: each JPEG file fills the next free slot, as if chosen there.
    void PhotosDropped(const QStringList& paths);
    void MajCoutTotal(const QString& amount);
    // Ctrl+F: page 2 with the keyboard in the search field.
    void ShortcutRechercheActivate();
    // A category chosen in the search results, added as "Ajouter >>" adds.
    void CategorySearchChosen(std::int32_t id, const std::string& libelle);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormCreate();
    void ApplyFonts();
    void ConnectHandlers();
    void ShowPage(int index);
    // The options' total, kept as an amount and shown in LabelCout.
    void ShowCout(offrel::Money total);
    // Decodes the photo at that path for the slot's preview, a placeholder shown meanwhile; a
    // file that cannot be shown is then reported and the slot gets back the photo and preview it
    // had before (those of the last preview shown, when one was already coming).
    void ShowPhoto(int slot, const std::string& path);
    // A decoded preview: shown in the slot that still waits for it, dropped otherwise.
    void PreviewDecoded(quint64 ticket, const QImage& image, const QString& failure);
    // The photo of the slot chosen: its path stored, unless it cannot be or cannot be shown.
    void ChoosePhoto(int slot, const QString& path);
    // Moves the photo of slot from to slot to, path and preview, the others shifting.
    void MovePhoto(int from, int to);
    // Opens the sale's photos large on the slot's, without holding the editor's caller.
    void OpenPhoto(int slot);
    void SyncCascade();
    void SyncSelected();

    std::unique_ptr<Ui::TForm2> ui;
    std::unique_ptr<CompactTabStyle> tabStyle_;
    offrel::ApplicationTables& tables_;
    offrel::EditorState& state_;
    std::string dataFolder_;
    offrel::CategoryCascade cascade_;
    CategorySearchPanel* search_;         // owned by its field
    DescriptionLimit* descriptionLimit_;  // owned by its field
    std::array<QComboBox*, offrel::CategoryCascade::kLevels> catCbx_;
    std::array<QCheckBox*, 7> checkBoxes_;
    std::array<QLabel*, 8> images_;
    // What each slot waits for: the number of its coming preview (0: none), and what it gets
    // back if that photo cannot be shown. They move with the slot's photo.
    struct ComingPreview {
        std::uint64_t ticket = 0;
        std::string formerPath;
        QPixmap formerPreview;
    };
    std::array<ComingPreview, 8> coming_;
    PreviewDecoding* previews_;                                        // owned by this window
    std::array<int, offrel::CategoryCascade::kLevels> filledLists_{};  // the fill each list shows
    offrel::Money cout_;
    QString lastPhoto_;      // the file-open dialog starts on the photo chosen last
    bool pageByTab_ = true;  // false while the buttons or the opening change the page
};
