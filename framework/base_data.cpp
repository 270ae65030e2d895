#include "framework/base_data.h"

#include <algorithm>
#include <cstring>

#include "contract/mirel_contract.h"
#include "host/host_api.h"

// ---- __FCBaseData -----------------------------------------------------------------------------------------

__FCBaseData::~__FCBaseData() = default;

const char* __FCBaseData::ClassName() const {
    return "__FCBaseData";
}

void __FCBaseData::ReleaseDataArea() {}

bool __FCBaseData::IsVariableSize() const {
    return false;
}

uint32_t __FCBaseData::RecordVersion() const {
    return MIREL_INTERFACE_VERSION;
}

int32_t __FCBaseData::LoadedSize() const {
    return loadedSize_;
}

// A fixed-size class holds its area from construction on (or has it provided once); a variable-size class
// gives its area up before every load and provides one of the size the host now reports.
inline uint8_t* __FCBaseData::ProvideDataArea() {
    if (data_ != nullptr) {
        if (!IsVariableSize()) return data_;
        ReleaseDataArea();
    }
    data_ = AllocateDataArea();
    return data_;
}

inline bool __FCBaseData::LoadInto(uint8_t* area, int32_t capacity) {
    loadedSize_ = 0;
    // Nothing to load into: asking the host with a null buffer would be a size query, not a load.
    if (area == nullptr || capacity <= 0) return false;
    uint32_t size = static_cast<uint32_t>(capacity);
    if (host::FX_LoadEData(Tag(), key_, area, &size, RecordVersion()) == 0) return false;
    // A host that reports more than it was allowed to copy must not make the field helpers or a later save
    // reach past the data area: the loaded size never exceeds the capacity that was offered.
    loadedSize_ = static_cast<int32_t>(std::min(size, static_cast<uint32_t>(capacity)));
    return true;
}

bool __FCBaseData::LoadAtKey() {
    uint8_t* area = ProvideDataArea();
    // CONTRACT: a variable-size class asks the host for the record's size here once more, right after it
    // provided an area of the size it asked for. Pinned by
    // RunCommandTest.StatsCountWhatTheCallLogHoldsPerInvocation.
    const int32_t capacity = DataSize();
    return LoadInto(area, capacity);
}

bool __FCBaseData::Save() {
    if (!HasBytesToWrite()) return false;
    return host::FX_SaveEData(Tag(), key_, data_, static_cast<uint32_t>(LoadedSize()), RecordVersion()) != 0;
}

bool __FCBaseData::HasBytesToWrite() const {
    return IsLoaded() && data_ != nullptr && LoadedSize() > 0;
}

std::optional<int32_t> __FCBaseData::QueryRecordSize() {
    uint32_t reported = 0;
    if (host::FX_LoadEData(Tag(), key_, nullptr, &reported, RecordVersion()) == 0) return std::nullopt;
    return static_cast<int32_t>(std::min<uint32_t>(reported, INT32_MAX));
}

bool __FCBaseData::CreateAtKey() {
    return host::FX_CreateEData(Tag(), key_, data_, static_cast<uint32_t>(LoadedSize()), RecordVersion()) !=
           0;
}

bool __FCBaseData::Reload() {
    if (!IsLoaded()) return false;
    return LoadAtKey();
}

bool __FCBaseData::DeleteRecord() {
    return host::FX_DeleteEData(Tag(), key_, RecordVersion()) != 0;
}

bool __FCBaseData::DeleteData() {
    return DeleteRecord();
}

bool __FCBaseData::LoadNext() {
    // The host moves a copy of the key: when there is no further record, the object keeps its key as well as
    // its data and loaded state.
    uint8_t next[MIREL_RECORD_KEY_SIZE];
    std::memcpy(next, key_, sizeof next);
    if (host::FX_NextEData(Tag(), next, RecordVersion()) == 0) return false;
    std::memcpy(key_, next, sizeof next);
    return LoadAtKey();
}

void __FCBaseData::CopyKeyFrom(const __FCBaseData* other) {
    if (other == nullptr) return;
    std::memcpy(key_, other->key_, sizeof key_);
}

// ---- __FCNoInciOther --------------------------------------------------------------------------------------

bool __FCNoInciOther::LoadFirst() {
    return Load(1);
}

bool __FCNoInciOther::Reload() {
    if (!IsLoaded()) return false;
    return Load(ItemNo());
}

bool __FCNoInciOther::Load(int16_t itemNo) {
    SetKeyFields(itemNo, 0, 0, 0);
    return LoadAtKey();
}

bool __FCNoInciOther::SaveAs(int16_t itemNo) {
    SetKeyFields(itemNo, 0, 0, 0);
    return Save();
}

bool __FCNoInciOther::DeepSaveAs(int16_t itemNo) {
    return SaveAs(itemNo);
}

bool __FCNoInciOther::SaveNew() {
    if (!HasBytesToWrite()) return false;
    SetKeyFields(-1, -1, 0, 0);
    return CreateAtKey();
}

int16_t __FCNoInciOther::ItemNo() const {
    return KeyField(0);
}

// ---- __FCInciOther ----------------------------------------------------------------------------------------

bool __FCInciOther::LoadFirst() {
    return false;
}

bool __FCInciOther::Reload() {
    if (!IsLoaded()) return false;
    return Load(ItemNo(), Inci());
}

bool __FCInciOther::Load(int16_t itemNo, int16_t inci) {
    SetKeyFields(itemNo, inci, 0, 0);
    return LoadAtKey();
}

bool __FCInciOther::SaveNew(int16_t itemNo) {
    if (!HasBytesToWrite()) return false;
    SetKeyFields(itemNo, -1, 0, 0);
    return CreateAtKey();
}
