#ifndef MIREL_HOST_PREFERENCE_TABLES_H
#define MIREL_HOST_PREFERENCE_TABLES_H

#include <cstddef>
#include <cstdint>

// The two tables that say how a preference record ("pf" tag) is built from 12-byte "ot" records at the
// document-wide item number -2, and what one field descriptor means.
//
// Piece-wise records are n consecutive 12-byte ot records (incidents s to s + n - 1) laid end to end.
// Field-wise records are assembled field by field: each field is taken from some words of one ot record (the
// record viewed as six little-endian 16-bit words) and converted by its kind.
namespace host::prefs {

// A four-character tag, the first character in the most significant byte.
constexpr uint32_t MakeTag(char a, char b, char c, char d) {
    return (static_cast<uint32_t>(static_cast<uint8_t>(a)) << 24) |
           (static_cast<uint32_t>(static_cast<uint8_t>(b)) << 16) |
           (static_cast<uint32_t>(static_cast<uint8_t>(c)) << 8) |
           static_cast<uint32_t>(static_cast<uint8_t>(d));
}

// An ot tag from its last two characters.
constexpr uint32_t OtTag(char c, char d) {
    return MakeTag('o', 't', c, d);
}

// The item number of the document-wide records every ot record lives under.
constexpr int16_t kDocumentItem = -2;
// The size of every ot record and of the scratch area it is loaded into.
constexpr uint32_t kOtRecordSize = 12;
constexpr int kOtWords = 6;
// The version the translation passes for the ot records it loads and saves on its own.
constexpr uint32_t kOtVersion = 0x12050000;

// ---- Piece-wise records ----

struct PieceTable {
    uint32_t tag;     // the preference tag
    uint32_t otTag;   // the ot tag of its pieces
    uint16_t pieces;  // n: the record is n * 12 bytes
    bool anyItem;     // true: any itemNo, first incident 0
    int16_t minItem;  // otherwise itemNo must lie in [minItem, maxItem] and the first incident is itemNo - 1
    int16_t maxItem;
};

// Every preference tag begins with "pf", so a tag that does not is in neither table: the look-ups answer it
// at once (a large score makes over a million loads of other tags).
constexpr uint32_t kPreferencePrefix = MakeTag('p', 'f', 0, 0);

constexpr bool IsPreferenceTag(uint32_t tag) {
    return (tag & 0xFFFF0000u) == kPreferencePrefix;
}

// The piece table entry for `tag`, or null.
const PieceTable* FindPieceTable(uint32_t tag);
// Every entry, for the tests.
const PieceTable* PieceTables(std::size_t* count);

// ---- Field-wise records ----

// How a field is made from the words of its ot record.
enum FieldKind : uint32_t {
    kCopyWord = 0,       // 2 bytes: word i unchanged
    kHighWordFirst = 1,  // 4 bytes: high half word i, low half word i + 1
    kLowWordFirst = 2,   // 4 bytes: low half word i, high half word i + 1
    kNegatedFlag = 3,    // 2 bytes: 1 when word i is 0, else 0 (and the same way back)
    kLowByte = 4,        // 2 bytes: the low byte of word i; saved back sign-extended to a word
};

// The bytes a field of this kind takes in the preference record.
constexpr uint16_t WidthOf(uint32_t kind) {
    return (kind == kHighWordFirst || kind == kLowWordFirst) ? 4 : 2;
}

struct FieldDescriptor {
    char ot[2];       // last two characters of the ot tag
    int16_t itemNo;   // the ot record's itemNo; 0 stands for the document-wide -2
    int16_t inci;     // the ot record's incident
    uint16_t offset;  // byte offset of the field in the preference record
    uint16_t word;    // index of the first word in the ot record, 0 to 5
    uint16_t width;   // 2 or 4 bytes
    uint32_t kind;    // a FieldKind
};

struct FieldTable {
    uint32_t tag;
    bool itemZeroOnly;  // served field-wise only for itemNo 0 (other items go to the piece table)
    const FieldDescriptor* fields;
    std::size_t count;
};

// The field table entry for `tag` and the key's itemNo, or null.
const FieldTable* FindFieldTable(uint32_t tag, int16_t itemNo);
// Every entry, for the tests.
const FieldTable* FieldTables(std::size_t* count);

// The ot tag and the key fields of a descriptor's ot record.
uint32_t OtTagOf(const FieldDescriptor& field);
int16_t OtItemOf(const FieldDescriptor& field);
bool SameOtRecord(const FieldDescriptor& a, const FieldDescriptor& b);

// The bytes a field-wise record occupies: the end of its farthest field. Load and save never touch the
// caller's buffer beyond the caller's size and refuse a size below this.
uint32_t RecordExtent(const FieldTable& table);
// The sum of the fields' widths.
uint32_t WidthSum(const FieldTable& table);

// Converts the field from the ot record's words and stores it at the field's offset in `record` (of `size`
// bytes; a field that does not fit is not written).
void LoadField(const FieldDescriptor& field, const uint16_t (&words)[kOtWords], uint8_t* record,
               std::size_t size);

// Takes the field from its offset in `record`, converts it back to words by its kind and puts those in
// `words`. Returns true when a word changed.
bool StoreField(const FieldDescriptor& field, const uint8_t* record, std::size_t size,
                uint16_t (&words)[kOtWords]);

}  // namespace host::prefs

#endif
