#include "host/preference_translation.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

#include "host/host_api.h"
#include "host/preference_tables.h"
#include "support/bytes.h"

namespace host {

namespace {

using prefs::FieldDescriptor;
using prefs::FieldTable;
using prefs::kOtRecordSize;
using prefs::kOtVersion;
using prefs::kOtWords;
using prefs::PieceTable;

// The size of the partly filled record (kPartlyFilledTag). The buffer is cleared before the call so that
// whatever the host wrote can be told from what it did not.
constexpr uint32_t kPartlyFilledSize = 108;

// Saves with an older record version than this go to the host as they are.
constexpr uint32_t kFirstTranslatedSaveVersion = 0x08000000;

// One 12-byte ot record in a cleared scratch area: a record the host does not deliver reads as zeros.
struct OtRecord {
    uint8_t bytes[kOtRecordSize] = {};
    uint32_t reportedSize = 0;

    uint16_t Word(int index) const {
        return bytes::ReadU16(bytes, kOtRecordSize, 2 * static_cast<std::size_t>(index));
    }
};

void MakeOtKey(int16_t itemNo, int16_t inci, uint8_t (&key)[8]) {
    std::memset(key, 0, sizeof key);
    bytes::WriteI16(key, sizeof key, 0, itemNo);
    bytes::WriteI16(key, sizeof key, 2, inci);
}

// Loads one ot record into a cleared scratch area. A failed load is not reported; it only means the record
// counts as 12 zero bytes. A delivered record counts with the size the host reported, at most 12. The ot tags
// lie outside both tables, so the host's own call is exactly what the translated call would make.
OtRecord LoadOtRecord(uint32_t otTag, int16_t itemNo, int16_t inci) {
    OtRecord record;
    uint8_t key[8];
    MakeOtKey(itemNo, inci, key);
    uint32_t size = kOtRecordSize;
    if (RawLoadEData(otTag, key, record.bytes, &size, kOtVersion) != 0) {
        record.reportedSize = std::min(size, kOtRecordSize);
    } else {
        record.reportedSize = kOtRecordSize;  // a missing piece reads as 12 zero bytes
    }
    return record;
}

void SaveOtRecord(uint32_t otTag, int16_t itemNo, int16_t inci, const uint8_t* data) {
    uint8_t key[8];
    MakeOtKey(itemNo, inci, key);
    RawSaveEData(otTag, key, data, kOtRecordSize, kOtVersion);
}

// ---- Piece-wise records ----

bool ItemFits(const PieceTable& table, int16_t itemNo) {
    return table.anyItem || (itemNo >= table.minItem && itemNo <= table.maxItem);
}

int16_t FirstIncident(const PieceTable& table, int16_t itemNo) {
    return table.anyItem ? int16_t{0} : static_cast<int16_t>(itemNo - 1);
}

int32_t LoadPieces(const PieceTable& table, int16_t itemNo, void* buffer, uint32_t* size) {
    const uint32_t recordSize = table.pieces * kOtRecordSize;
    if (size == nullptr) return 0;
    if (buffer == nullptr) {
        *size = recordSize;
        return 1;
    }
    if (*size < recordSize) return 0;
    auto* out = static_cast<uint8_t*>(buffer);
    const int16_t first = FirstIncident(table, itemNo);
    for (uint16_t i = 0; i < table.pieces; ++i) {
        const OtRecord piece =
            LoadOtRecord(table.otTag, prefs::kDocumentItem, static_cast<int16_t>(first + i));
        std::memcpy(out + kOtRecordSize * i, piece.bytes, piece.reportedSize);
    }
    *size = recordSize;
    return 1;
}

int32_t SavePieces(const PieceTable& table, int16_t itemNo, const void* buffer, uint32_t size) {
    if (buffer == nullptr || size < table.pieces * kOtRecordSize) return 0;
    const auto* in = static_cast<const uint8_t*>(buffer);
    const int16_t first = FirstIncident(table, itemNo);
    for (uint16_t i = 0; i < table.pieces; ++i) {
        SaveOtRecord(table.otTag, prefs::kDocumentItem, static_cast<int16_t>(first + i),
                     in + kOtRecordSize * i);
    }
    return 1;
}

// ---- Field-wise records ----

OtRecord LoadOtRecordOf(const FieldDescriptor& field) {
    return LoadOtRecord(prefs::OtTagOf(field), prefs::OtItemOf(field), field.inci);
}

void ReadWords(const OtRecord& record, uint16_t (&words)[kOtWords]) {
    for (int w = 0; w < kOtWords; ++w) words[w] = record.Word(w);
}

// The record is served up to its farthest field, which for some tags lies beyond the sum of the widths. A
// buffer smaller than that is refused rather than written past.
int32_t LoadFields(const FieldTable& table, void* buffer, uint32_t* size) {
    if (size == nullptr) return 0;
    const uint32_t extent = prefs::RecordExtent(table);
    if (buffer == nullptr) {
        *size = extent;
        return 1;
    }
    if (*size < extent) return 0;
    *size = extent;
    auto* out = static_cast<uint8_t*>(buffer);
    // Each ot record is loaded once, for the first descriptor that names it, and serves every later one.
    std::vector<bool> served(table.count, false);
    for (std::size_t i = 0; i < table.count; ++i) {
        if (served[i]) continue;
        uint16_t words[kOtWords];
        ReadWords(LoadOtRecordOf(table.fields[i]), words);
        for (std::size_t j = i; j < table.count; ++j) {
            if (served[j] || !prefs::SameOtRecord(table.fields[i], table.fields[j])) continue;
            prefs::LoadField(table.fields[j], words, out, extent);
            served[j] = true;
        }
    }
    return 1;
}

// Each ot record is loaded, updated from the caller's fields and written back only when a word changed.
int32_t SaveFields(const FieldTable& table, const void* buffer, uint32_t size) {
    if (buffer == nullptr || size < 2 * table.count) return 0;
    const uint32_t extent = prefs::RecordExtent(table);
    if (size < extent) return 0;
    const auto* in = static_cast<const uint8_t*>(buffer);
    std::vector<bool> served(table.count, false);
    for (std::size_t i = 0; i < table.count; ++i) {
        if (served[i]) continue;
        const FieldDescriptor& first = table.fields[i];
        OtRecord record = LoadOtRecordOf(first);
        uint16_t words[kOtWords];
        ReadWords(record, words);
        bool changed = false;
        for (std::size_t j = i; j < table.count; ++j) {
            if (served[j] || !prefs::SameOtRecord(first, table.fields[j])) continue;
            changed = prefs::StoreField(table.fields[j], in, extent, words) || changed;
            served[j] = true;
        }
        if (!changed) continue;
        for (int w = 0; w < kOtWords; ++w)
            bytes::WriteU16(record.bytes, kOtRecordSize, 2 * static_cast<std::size_t>(w), words[w]);
        SaveOtRecord(prefs::OtTagOf(first), prefs::OtItemOf(first), first.inci, record.bytes);
    }
    return 1;
}

int16_t KeyItem(const void* key8) {
    return bytes::ReadI16(static_cast<const uint8_t*>(key8), 8, 0);
}

bool IsTranslatedTag(uint32_t tag) {
    return prefs::IsPreferenceTag(tag) &&
           (prefs::FindPieceTable(tag) != nullptr || prefs::FindFieldTable(tag, 0) != nullptr);
}

// The table that translates a preference record, chosen by the key's itemNo: the tag's field table for that
// item, else its piece table when the item lies inside it. Neither when there is no key to choose by, or no
// table serves the item (the call then answers 0).
struct TableChoice {
    const FieldTable* fields = nullptr;
    const PieceTable* pieces = nullptr;
    int16_t itemNo = 0;
};

TableChoice ChooseTable(uint32_t tag, const void* key8) {
    TableChoice choice;
    if (key8 == nullptr) return choice;
    choice.itemNo = KeyItem(key8);
    choice.fields = prefs::FindFieldTable(tag, choice.itemNo);
    if (choice.fields != nullptr) return choice;
    const PieceTable* pieces = prefs::FindPieceTable(tag);
    if (pieces != nullptr && ItemFits(*pieces, choice.itemNo)) choice.pieces = pieces;
    return choice;
}

// The host call for the partly filled record: no answer when the translation is to go on, else the answer.
// Only the bytes the caller's capacity covers are cleared and examined.
std::optional<int32_t> LoadPartlyFilled(uint32_t tag, void* key8, void* buffer, uint32_t* size,
                                        uint32_t version) {
    const uint32_t cleared = size != nullptr ? std::min(*size, kPartlyFilledSize) : 0;
    auto* data = static_cast<uint8_t*>(buffer);
    std::memset(data, 0, cleared);
    if (RawLoadEData(tag, key8, buffer, size, version) != 0) return std::nullopt;
    return std::any_of(data, data + cleared, [](uint8_t b) { return b != 0; }) ? 1 : 0;
}

}  // namespace

int32_t TranslatedLoadEData(uint32_t tag, void* key8, void* buffer, uint32_t* size, uint32_t version) {
    if (tag == kPartlyFilledTag && buffer != nullptr) {
        if (const std::optional<int32_t> answer = LoadPartlyFilled(tag, key8, buffer, size, version))
            return *answer;
    }
    if (!IsTranslatedTag(tag)) return RawLoadEData(tag, key8, buffer, size, version);
    const TableChoice table = ChooseTable(tag, key8);
    if (table.fields != nullptr) return LoadFields(*table.fields, buffer, size);
    if (table.pieces != nullptr) return LoadPieces(*table.pieces, table.itemNo, buffer, size);
    return 0;
}

int32_t TranslatedSaveEData(uint32_t tag, void* key8, const void* buffer, uint32_t size, uint32_t version) {
    if (version < kFirstTranslatedSaveVersion || !IsTranslatedTag(tag)) {
        return RawSaveEData(tag, key8, buffer, size, version);
    }
    const TableChoice table = ChooseTable(tag, key8);
    if (table.fields != nullptr) return SaveFields(*table.fields, buffer, size);
    if (table.pieces != nullptr) return SavePieces(*table.pieces, table.itemNo, buffer, size);
    return 0;
}

}  // namespace host
