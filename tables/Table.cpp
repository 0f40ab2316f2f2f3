#include "tables/Table.h"

#include <filesystem>

#include "base/Error.h"
#include "base/FileNames.h"
#include "base/Files.h"
#include "base/Windows1252.h"
#include "tables/PacketReader.h"
#include "tables/PacketWriter.h"
#include "tables/TableImpl.h"

namespace offrel {

namespace {

[[noreturn]] void ThrowEmptyTable() {
    throw Error(W("Opération impossible sur une table vide"));
}

}  // namespace

Value Table::Impl::CurrentValue(int column) const {
    if (state != TableState::Browse) return pending[static_cast<std::size_t>(column)];
    if (current < 0) return std::monostate{};
    return store.ValueAt(current, column);
}

Value& Table::Impl::ValueToSet(int column) {
    if (state == TableState::Browse)
        throw Error(FormatMessage(W("La table %s n'est pas en mode édition ou insertion"), {name}));
    pendingTouched = true;
    return pending[static_cast<std::size_t>(column)];
}

void Table::Impl::ClearRows() {
    Notify([](TableListener& l) { l.AboutToReset(); });
    if (recorder) recorder->RowsReset();
    store.Clear();
    current = -1;
    eof = bof = true;
    Notify([](TableListener& l) { l.Reset(); });
}

void Table::Impl::TakeRows(RowStore rows) {
    Notify([](TableListener& l) { l.AboutToReset(); });
    if (recorder) recorder->RowsReset();
    store = std::move(rows);
    current = store.LiveCount() > 0 ? 0 : -1;
    bof = true;
    eof = current < 0;
    active = true;
    changeCount = 0;
    Notify([](TableListener& l) { l.Reset(); });
}

Table::Table(std::string name, std::vector<ColumnDef> columns,
             std::vector<std::uint8_t> builtinPacket)
    : impl_(std::make_unique<Impl>(std::move(name), std::move(columns), std::move(builtinPacket))) {
}

Table::~Table() = default;

const std::string& Table::Name() const {
    return impl_->name;
}
const std::vector<ColumnDef>& Table::Columns() const {
    return impl_->store.Columns();
}

int Table::ColumnIndex(std::string_view name) const {
    const auto& columns = Columns();
    for (std::size_t j = 0; j < columns.size(); ++j)
        if (columns[j].name == name) return static_cast<int>(j);
    return -1;
}

const std::string& Table::FileName() const {
    return impl_->fileName;
}
void Table::SetFileName(std::string path) {
    impl_->fileName = std::move(path);
}
bool Table::Active() const {
    return impl_->active;
}

bool Table::Impl::HasFileToRead() const {
    // A missing or empty file leaves the built-in contents; anything else there must be read.
    std::error_code error;
    const auto status = std::filesystem::status(fileName, error);
    const bool missing = fileName.empty() || status.type() == std::filesystem::file_type::not_found;
    return !(missing || (std::filesystem::is_regular_file(status) &&
                         std::filesystem::file_size(fileName, error) == 0 && !error));
}

void Table::Impl::LoadBuiltin(Table& owner) {
    if (builtinPacket.empty()) {
        TakeRows(RowStore(store.Columns()));
        return;
    }
    owner.LoadFromPacket(builtinPacket.data(), builtinPacket.size());
}

void Table::Impl::Open(Table& owner, bool discardUnreadable) {
    if (active) return;
    if (!HasFileToRead()) {
        LoadBuiltin(owner);
        return;
    }
    try {
        const std::vector<std::uint8_t> content = ReadWholeFile(fileName);
        owner.LoadFromPacket(content.data(), content.size());
    } catch (const Error&) {
        if (!discardUnreadable) {
            // What is in that file may still be the seller's work: it is never written over.
            unreadableFiles.push_back(FullPath(fileName));
            throw;
        }
        // Its contents are rebuilt anyway; the file does not hold the table and is written over
        // at closing.
        LoadBuiltin(owner);
        ++changeCount;
    }
}

void Table::Open() {
    impl_->Open(*this, false);
}

void Table::OpenDiscardingUnreadable() {
    impl_->Open(*this, true);
}

void Table::Close() {
    if (!impl_->active) return;
    impl_->StorePending(*this);
    const std::string& path = impl_->fileName;
    std::error_code error;
    if (!path.empty() && (impl_->changeCount > 0 || !std::filesystem::exists(path, error))) Save();
    impl_->ClearRows();
    impl_->active = false;
}

void Table::Save() {
    // A closed table holds no rows: writing it would empty its file.
    impl_->RequireActive();
    const std::string& path = impl_->fileName;
    if (path.empty())
        throw Error(FormatMessage("La table %s n'a pas de nom de fichier", {impl_->name}));
    const std::string full = FullPath(path);
    std::error_code error;
    for (const std::string& unreadable : impl_->unreadableFiles)
        if (unreadable == full || std::filesystem::equivalent(unreadable, full, error))
            throw Error(FormatMessage(W("Le fichier \"%s\" n'a pas pu être lu ; il n'est pas "
                                        "remplacé, pour ne rien perdre de ce qu'il contient."),
                                      {ShownFileSystemName(full)}));
    WriteFileAtomically(path, SaveToPacket(), impl_->beforeReplace);
}

void Table::SetBeforeReplace(BeforeReplace hook) {
    impl_->beforeReplace = std::move(hook);
}

std::vector<std::uint8_t> Table::SaveToPacket() const {
    return WritePacket(impl_->store);
}

void Table::LoadFromPacket(const std::uint8_t* data, std::size_t size) {
    RowStore loaded = ReadPacket(data, size);
    if (loaded.Columns() != impl_->store.Columns())
        throw Error(FormatMessage(W("Les colonnes du fichier ne sont pas celles de la table %s"),
                                  {impl_->name}));
    Cancel();
    impl_->TakeRows(std::move(loaded));
}

void Table::Impl::StorePending(Table& owner) {
    if (state == TableState::Browse) return;
    if (pendingTouched)
        owner.Post();
    else
        owner.Cancel();
}

void Table::EmptyDataSet() {
    impl_->StorePending(*this);
    impl_->ClearRows();
    ++impl_->changeCount;
}

void Table::TakeRowsOf(Table& source) {
    if (source.Columns() != Columns())
        throw Error(FormatMessage(W("La table %s n'a pas les colonnes de la table %s"),
                                  {source.impl_->name, impl_->name}));
    source.impl_->StorePending(source);
    impl_->StorePending(*this);
    RowStore rows = std::move(source.impl_->store);
    source.impl_->TakeRows(RowStore(Columns()));
    impl_->TakeRows(std::move(rows));
    ++impl_->changeCount;
}

void Table::Impl::RequireActive() const {
    if (!active) throw Error(FormatMessage(W("La table %s est fermée"), {name}));
}

void Table::Impl::StartInsert(Table& owner, bool atEnd) {
    RequireActive();
    StorePending(owner);
    insertPosition = atEnd ? store.LiveCount() : std::max(current, 0);
    pending.assign(store.Columns().size(), std::monostate{});
    pendingTouched = false;
    state = TableState::Insert;
}

void Table::Append() {
    impl_->StartInsert(*this, true);
}
void Table::Insert() {
    impl_->StartInsert(*this, false);
}

void Table::Edit() {
    impl_->RequireActive();
    if (impl_->state != TableState::Browse) return;
    if (impl_->current < 0) ThrowEmptyTable();
    impl_->pending = impl_->store.RowValues(impl_->current);
    impl_->pendingTouched = false;
    impl_->state = TableState::Edit;
}

template <class Store>
void Table::Impl::InsertRow(int position, Store storeRow) {
    Notify([&](TableListener& l) { l.RowAboutToBeInserted(position); });
    storeRow();
    ++changeCount;
    current = position;
    eof = bof = false;
    Notify([&](TableListener& l) { l.RowInserted(position); });
    Notify([&](TableListener& l) { l.CurrentRowChanged(position); });
    if (recorder) recorder->RowInserted(position);
}

template <class Store>
void Table::Impl::ModifyRow(int position, Store storeRow) {
    if (recorder) recorder->RowAboutToBeModified(position);
    storeRow();
    ++changeCount;
    Notify([&](TableListener& l) { l.RowChanged(position); });
}

void Table::Post() {
    Impl& impl = *impl_;
    if (impl.state == TableState::Insert) {
        const int position = impl.insertPosition;
        impl.state = TableState::Browse;
        impl.InsertRow(position, [&] { impl.store.Insert(position, impl.pending); });
    } else if (impl.state == TableState::Edit) {
        impl.state = TableState::Browse;
        if (!impl.pendingTouched) return;
        impl.ModifyRow(impl.current, [&] { impl.store.Modify(impl.current, impl.pending); });
    }
}

void Table::Cancel() {
    impl_->state = TableState::Browse;
    impl_->pending.clear();
}

void Table::Delete() {
    Impl& impl = *impl_;
    impl.RequireActive();
    if (impl.state == TableState::Insert) {
        // Deleting a row not yet stored only gives it up.
        Cancel();
        return;
    }
    Cancel();
    if (impl.current < 0) ThrowEmptyTable();
    const int position = impl.current;
    if (impl.recorder) impl.recorder->RowAboutToBeDeleted(position);
    impl.Notify([&](TableListener& l) { l.RowAboutToBeDeleted(position); });
    impl.store.Delete(position);
    ++impl.changeCount;
    const int count = impl.store.LiveCount();
    impl.current = position < count ? position : count - 1;
    impl.eof = impl.bof = count == 0;
    impl.Notify([&](TableListener& l) { l.RowDeleted(position); });
    const int now = impl.current;
    impl.Notify([&](TableListener& l) { l.CurrentRowChanged(now); });
}

void Table::Impl::MoveCurrent(int position) {
    if (position == current) return;
    current = position;
    Notify([&](TableListener& l) { l.CurrentRowChanged(position); });
}

void Table::First() {
    impl_->StorePending(*this);
    const int count = impl_->store.LiveCount();
    impl_->MoveCurrent(count > 0 ? 0 : -1);
    impl_->bof = true;
    impl_->eof = count == 0;
}

void Table::Next() {
    impl_->StorePending(*this);
    if (impl_->current + 1 < impl_->store.LiveCount()) {
        impl_->MoveCurrent(impl_->current + 1);
        impl_->eof = impl_->bof = false;
    } else {
        impl_->eof = true;
    }
}

void Table::Prior() {
    impl_->StorePending(*this);
    if (impl_->current > 0) {
        impl_->MoveCurrent(impl_->current - 1);
        impl_->eof = impl_->bof = false;
    } else {
        impl_->bof = true;
    }
}

void Table::Last() {
    impl_->StorePending(*this);
    const int count = impl_->store.LiveCount();
    impl_->MoveCurrent(count - 1);
    impl_->eof = true;
    impl_->bof = count == 0;
}

bool Table::Eof() const {
    return impl_->eof;
}
bool Table::Bof() const {
    return impl_->bof;
}

bool Table::FindFirst() {
    First();
    return impl_->current >= 0;
}

bool Table::FindNext() {
    impl_->StorePending(*this);
    const bool found = impl_->current + 1 < impl_->store.LiveCount();
    Next();
    return found;
}

int Table::RecordCount() const {
    return impl_->store.LiveCount();
}
int Table::RecNo() const {
    return impl_->current;
}

void Table::Impl::RequirePosition(int position, bool end) const {
    if (position < 0 || position >= store.LiveCount() + (end ? 1 : 0))
        throw Error(FormatMessage("La ligne %s n'existe pas dans la table %s",
                                  {std::to_string(position + 1), name}));
}

void Table::MoveTo(int position) {
    impl_->StorePending(*this);
    impl_->RequirePosition(position);
    impl_->MoveCurrent(position);
    impl_->eof = impl_->bof = false;
}

TableState Table::State() const {
    return impl_->state;
}
int Table::ChangeCount() const {
    return impl_->changeCount;
}

Field Table::FieldByName(std::string_view name) {
    const int column = ColumnIndex(name);
    if (column < 0) throw Error(FormatMessage(W("Champ '%s' non trouvé"), {name}));
    return Field(this, column);
}

Field Table::FieldByIndex(int column) {
    if (column < 0 || column >= static_cast<int>(Columns().size()))
        throw Error(FormatMessage(W("Champ '%s' non trouvé"), {std::to_string(column)}));
    return Field(this, column);
}

void Table::Impl::RequireRow(int position, int column) const {
    if (position < 0 || position >= store.LiveCount() || column < 0 ||
        column >= static_cast<int>(store.Columns().size()))
        throw Error(FormatMessage("La ligne %s n'existe pas dans la table %s",
                                  {std::to_string(position + 1), name}));
}

Value Table::ValueAt(int position, int column) const {
    impl_->RequireRow(position, column);
    return impl_->store.ValueAt(position, column);
}

std::uint32_t Table::RowOrigin(int position) const {
    impl_->RequireRow(position, 0);
    return impl_->store.Origin(position);
}

void Table::DisableControls() {
    if (impl_->disabledControls++ == 0)
        for (TableListener* listener : std::vector<TableListener*>(impl_->listeners))
            listener->ControlsDisabled();
}

void Table::EnableControls() {
    if (impl_->disabledControls == 0) return;
    if (--impl_->disabledControls == 0)
        impl_->Notify([](TableListener& l) { l.ControlsEnabled(); });
}

bool Table::ControlsDisabled() const {
    return impl_->disabledControls > 0;
}

void Table::AddListener(TableListener* listener) {
    impl_->listeners.push_back(listener);
}

void Table::RemoveListener(TableListener* listener) {
    std::erase(impl_->listeners, listener);
}

void Table::SetRecorder(TableRecorder* recorder) {
    impl_->recorder = recorder;
}

void Table::AppendRowImage(int position, std::vector<std::uint8_t>& out) const {
    impl_->RequirePosition(position);
    impl_->store.AppendImage(position, out);
}

void Table::InsertRowImage(int position, const std::uint8_t* image, std::size_t size) {
    Impl& impl = *impl_;
    impl.RequireActive();
    impl.StorePending(*this);
    impl.RequirePosition(position, true);
    impl.InsertRow(position, [&] { impl.store.InsertImage(position, image, size); });
}

void Table::ReplaceRowImage(int position, const std::uint8_t* image, std::size_t size) {
    Impl& impl = *impl_;
    impl.StorePending(*this);
    impl.RequirePosition(position);
    impl.MoveCurrent(position);
    impl.eof = impl.bof = false;
    impl.ModifyRow(position, [&] { impl.store.ModifyImage(position, image, size); });
}

}  // namespace offrel
