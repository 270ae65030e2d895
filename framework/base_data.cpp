#include "framework/base_data.h"

#include <cstring>

#include "contract/mirel_contract.h"
#include "host/host_api.h"
#include "support/bytes.h"

namespace {

constexpr int kKeyFields = 4;

// The loaded size as a byte count for the field helpers (a negative size holds no field).
std::size_t FieldBound(int32_t loadedSize) {
    return loadedSize > 0 ? static_cast<std::size_t>(loadedSize) : 0;
}

}  // namespace

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

bool __FCBaseData::LoadAtKey() {
    if (data_ != nullptr && IsVariableSize()) {
        ReleaseDataArea();
        data_ = nullptr;
        loadedSize_ = 0;
    }
    // A fixed-size class hands out the embedded buffer of the layout in force each time, so a load after the
    // host version changed lands in a buffer of the size it asks the host for.
    if (data_ == nullptr || !IsVariableSize()) data_ = AllocateDataArea();

    const int32_t capacity = DataSize();
    if (data_ == nullptr || capacity <= 0) {
        // Nothing to load into: asking the host with a null buffer would be a size query, not a load.
        loadedSize_ = 0;
        return false;
    }

    uint32_t size = static_cast<uint32_t>(capacity);
    if (host::FX_LoadEData(Tag(), key_, data_, &size, RecordVersion()) == 0) {
        loadedSize_ = 0;
        return false;
    }
    // A host that reports more than it was allowed to copy must not make the field helpers or a later save
    // reach past the data area: the loaded size never exceeds the capacity that was offered.
    loadedSize_ = size > static_cast<uint32_t>(capacity) ? capacity : static_cast<int32_t>(size);
    return true;
}

bool __FCBaseData::Save() {
    if (!HasBytesToWrite()) return false;
    return host::FX_SaveEData(Tag(), key_, data_, static_cast<uint32_t>(LoadedSize()), RecordVersion()) != 0;
}

bool __FCBaseData::HasBytesToWrite() const {
    return IsLoaded() && data_ != nullptr && LoadedSize() > 0;
}

bool __FCBaseData::QueryRecordSize(int32_t& size) {
    uint32_t reported = 0;
    size = 0;
    if (host::FX_LoadEData(Tag(), key_, nullptr, &reported, RecordVersion()) == 0) return false;
    size = reported > static_cast<uint32_t>(INT32_MAX) ? INT32_MAX : static_cast<int32_t>(reported);
    return true;
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

int16_t __FCBaseData::KeyField(int index) const {
    if (index < 0 || index >= kKeyFields) return 0;
    return bytes::ReadI16(key_, sizeof key_, static_cast<std::size_t>(index) * 2);
}

void __FCBaseData::SetKeyField(int index, int16_t value) {
    if (index < 0 || index >= kKeyFields) return;
    bytes::WriteI16(key_, sizeof key_, static_cast<std::size_t>(index) * 2, value);
}

void __FCBaseData::CopyKeyFrom(const __FCBaseData* other) {
    if (other == nullptr) return;
    std::memcpy(key_, other->key_, sizeof key_);
}

uint16_t __FCBaseData::ReadU16(int32_t offset) const {
    if (offset < 0) return 0;
    return bytes::ReadU16(data_, FieldBound(loadedSize_), static_cast<std::size_t>(offset));
}

int16_t __FCBaseData::ReadI16(int32_t offset) const {
    return static_cast<int16_t>(ReadU16(offset));
}

uint32_t __FCBaseData::ReadU32(int32_t offset) const {
    if (offset < 0) return 0;
    return bytes::ReadU32(data_, FieldBound(loadedSize_), static_cast<std::size_t>(offset));
}

int32_t __FCBaseData::ReadI32(int32_t offset) const {
    return static_cast<int32_t>(ReadU32(offset));
}

void __FCBaseData::WriteU16(int32_t offset, uint16_t value) {
    if (offset < 0) return;
    bytes::WriteU16(data_, FieldBound(loadedSize_), static_cast<std::size_t>(offset), value);
}

void __FCBaseData::WriteI16(int32_t offset, int16_t value) {
    WriteU16(offset, static_cast<uint16_t>(value));
}

void __FCBaseData::WriteU32(int32_t offset, uint32_t value) {
    if (offset < 0) return;
    bytes::WriteU32(data_, FieldBound(loadedSize_), static_cast<std::size_t>(offset), value);
}

void __FCBaseData::WriteI32(int32_t offset, int32_t value) {
    WriteU32(offset, static_cast<uint32_t>(value));
}

void __FCBaseData::AttachLoaded(uint8_t* buffer, int32_t size) {
    data_ = buffer;
    loadedSize_ = buffer != nullptr && size > 0 ? size : 0;
}

// ---- __FCNoInciOther --------------------------------------------------------------------------------------

namespace {

// An "other" key: itemNo, inci, then two zero fields.
void SetOtherKey(__FCBaseData* record, int16_t itemNo, int16_t inci) {
    record->SetKeyField(0, itemNo);
    record->SetKeyField(1, inci);
    record->SetKeyField(2, 0);
    record->SetKeyField(3, 0);
}

}  // namespace

bool __FCNoInciOther::LoadFirst() {
    return Load(1);
}

bool __FCNoInciOther::Reload() {
    if (!IsLoaded()) return false;
    return Load(ItemNo());
}

bool __FCNoInciOther::Load(int16_t itemNo) {
    SetOtherKey(this, itemNo, 0);
    return LoadAtKey();
}

bool __FCNoInciOther::SaveAs(int16_t itemNo) {
    SetOtherKey(this, itemNo, 0);
    return Save();
}

bool __FCNoInciOther::DeepSaveAs(int16_t itemNo) {
    return SaveAs(itemNo);
}

bool __FCNoInciOther::SaveNew() {
    if (!HasBytesToWrite()) return false;
    SetOtherKey(this, -1, -1);
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
    SetOtherKey(this, itemNo, inci);
    return LoadAtKey();
}

bool __FCInciOther::SaveNew(int16_t itemNo) {
    if (!HasBytesToWrite()) return false;
    SetOtherKey(this, itemNo, -1);
    return CreateAtKey();
}

// ---- __FCDetail -------------------------------------------------------------------------------------------

void __FCDetail::SetKey(int16_t itemNo, int16_t itemNo2, int16_t inci) {
    SetKeyField(0, itemNo);
    SetKeyField(1, itemNo2);
    SetKeyField(2, inci);
    SetKeyField(3, 0);
}
