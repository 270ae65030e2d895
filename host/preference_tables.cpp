#include "host/preference_tables.h"

#include <algorithm>
#include <iterator>

#include "support/bytes.h"

namespace host::prefs {

namespace {

// ---- Piece-wise records ----------------------------------------------------------------------------------

// Each row: the preference tag, the ot tag of its pieces, how many pieces make the record, and the itemNo it
// is served for: any (AnyItem, from incident 0) or one in a range (Items, from incident itemNo - 1).
struct Count {
    uint16_t pieces;
};
struct AnyItem {};
struct Items {
    int16_t first;
    int16_t last;
};

constexpr PieceTable Pieces(uint32_t tag, uint32_t otTag, Count count, AnyItem) {
    return {tag, otTag, count.pieces, true, 0, 0};
}

constexpr PieceTable Pieces(uint32_t tag, uint32_t otTag, Count count, Items items) {
    return {tag, otTag, count.pieces, false, items.first, items.last};
}

constexpr PieceTable kPieceTables[] = {
    Pieces(MakeTag('p', 'f', 'G', 'D'), OtTag('7', '9'), Count{1}, AnyItem{}),
    Pieces(MakeTag('p', 'f', 'G', 'G'), OtTag('8', '8'), Count{11}, AnyItem{}),
    Pieces(MakeTag('p', 'f', 'G', 'b'), OtTag('9', '8'), Count{1}, Items{1, 4}),
    Pieces(MakeTag('p', 'f', 'G', 'd'), OtTag('8', '0'), Count{1}, AnyItem{}),
    Pieces(MakeTag('p', 'f', 'G', 's'), OtTag('9', '1'), Count{1}, Items{1, 1}),
    Pieces(MakeTag('p', 'f', 'M', 'M'), OtTag('2', '5'), Count{2}, AnyItem{}),
    Pieces(MakeTag('p', 'f', 'N', 'D'), OtTag('0', '4'), Count{1}, AnyItem{}),
    Pieces(MakeTag('p', 'f', 'N', 'd'), OtTag('6', '6'), Count{1}, AnyItem{}),
    Pieces(MakeTag('p', 'f', 'P', 'F'), OtTag('7', '7'), Count{4}, Items{1, 1}),
    Pieces(MakeTag('p', 'f', 'S', 'C'), OtTag('5', '2'), Count{2}, AnyItem{}),
    Pieces(MakeTag('p', 'f', 'S', 'N'), OtTag('4', '0'), Count{1}, Items{1, 128}),
    Pieces(MakeTag('p', 'f', 'S', 'P'), OtTag('9', '4'), Count{3}, AnyItem{}),
    Pieces(MakeTag('p', 'f', 'S', 'l'), OtTag('2', '6'), Count{1}, Items{1, 15}),
    Pieces(MakeTag('p', 'f', 'T', 'C'), OtTag('8', '6'), Count{5}, AnyItem{}),
    Pieces(MakeTag('p', 'f', 'T', 'I'), OtTag('8', '4'), Count{4}, AnyItem{}),
    Pieces(MakeTag('p', 'f', 'T', 'X'), OtTag('7', '8'), Count{8}, AnyItem{}),
    Pieces(MakeTag('p', 'f', 'T', 'p'), OtTag('8', '5'), Count{4}, AnyItem{}),
    Pieces(MakeTag('p', 'f', 'T', 's'), OtTag('9', '0'), Count{1}, Items{1, 9}),
};

// ---- Field-wise records ----------------------------------------------------------------------------------
// One list per preference tag, a row per field, each column named where it is written: the ot record the
// field comes from, Ot(the ot tag's last two characters), with its incident (Inci, at the document-wide
// itemNo -2) or with an itemNo of its own (Item, at incident 0); the field's byte offset in the preference
// record (At); the first of the ot record's words it is made from (Word); and its kind, which also gives its
// width.

struct Inci {
    int16_t value;
};
struct Item {
    int16_t value;
};
struct At {
    uint16_t offset;
};
struct Word {
    uint16_t index;
};

struct OtRecord {
    char ot[2];
    int16_t itemNo;  // 0 stands for the document-wide -2
    int16_t inci;
};

constexpr OtRecord Ot(const char (&ot)[3], Inci inci) {
    return {{ot[0], ot[1]}, 0, inci.value};
}

constexpr OtRecord Ot(const char (&ot)[3], Item item) {
    return {{ot[0], ot[1]}, item.value, 0};
}

constexpr FieldDescriptor Field(OtRecord record, At at, Word word, FieldKind kind) {
    return {
        {record.ot[0], record.ot[1]}, record.itemNo, record.inci, at.offset, word.index, WidthOf(kind), kind};
}

// pfPF with itemNo 0 (itemNo 1 is the piece-wise record of four ot77 pieces).
constexpr FieldDescriptor kFieldsPF[] = {
    Field(Ot("14", Inci{0}), At{0}, Word{0}, kHighWordFirst),
    Field(Ot("15", Inci{0}), At{4}, Word{2}, kHighWordFirst),
    Field(Ot("39", Inci{0}), At{8}, Word{2}, kCopyWord),
    Field(Ot("16", Inci{0}), At{10}, Word{0}, kCopyWord),
    Field(Ot("16", Inci{0}), At{12}, Word{1}, kCopyWord),
    Field(Ot("16", Inci{0}), At{14}, Word{2}, kCopyWord),
    Field(Ot("16", Inci{0}), At{16}, Word{3}, kCopyWord),
    Field(Ot("39", Inci{0}), At{18}, Word{3}, kCopyWord),
    Field(Ot("39", Inci{0}), At{20}, Word{4}, kCopyWord),
    Field(Ot("17", Inci{0}), At{22}, Word{0}, kCopyWord),
    Field(Ot("17", Inci{0}), At{24}, Word{1}, kCopyWord),
    Field(Ot("17", Inci{0}), At{26}, Word{2}, kCopyWord),
    Field(Ot("18", Inci{0}), At{28}, Word{0}, kCopyWord),
    Field(Ot("18", Inci{0}), At{30}, Word{1}, kCopyWord),
    Field(Ot("19", Inci{0}), At{32}, Word{0}, kCopyWord),
    Field(Ot("19", Inci{0}), At{34}, Word{1}, kCopyWord),
    Field(Ot("20", Inci{0}), At{36}, Word{0}, kCopyWord),
    Field(Ot("20", Inci{0}), At{38}, Word{1}, kCopyWord),
    Field(Ot("20", Inci{0}), At{40}, Word{2}, kCopyWord),
    Field(Ot("21", Inci{0}), At{42}, Word{0}, kCopyWord),
    Field(Ot("21", Inci{0}), At{44}, Word{1}, kCopyWord),
    Field(Ot("21", Inci{0}), At{46}, Word{2}, kCopyWord),
};

constexpr FieldDescriptor kFieldsSI[] = {
    Field(Ot("41", Inci{0}), At{0}, Word{0}, kHighWordFirst),
    Field(Ot("41", Inci{0}), At{4}, Word{2}, kHighWordFirst),
    Field(Ot("42", Inci{0}), At{8}, Word{0}, kHighWordFirst),
    Field(Ot("42", Inci{0}), At{12}, Word{2}, kHighWordFirst),
    Field(Ot("43", Inci{0}), At{16}, Word{0}, kCopyWord),
    Field(Ot("43", Inci{0}), At{18}, Word{1}, kCopyWord),
    Field(Ot("43", Inci{1}), At{20}, Word{0}, kCopyWord),
    Field(Ot("43", Inci{1}), At{22}, Word{1}, kCopyWord),
    Field(Ot("43", Inci{2}), At{24}, Word{0}, kCopyWord),
    Field(Ot("43", Inci{2}), At{26}, Word{1}, kCopyWord),
    Field(Ot("43", Inci{3}), At{28}, Word{0}, kCopyWord),
    Field(Ot("43", Inci{3}), At{30}, Word{1}, kCopyWord),
    Field(Ot("44", Inci{0}), At{32}, Word{0}, kCopyWord),
    Field(Ot("44", Inci{0}), At{34}, Word{1}, kCopyWord),
    Field(Ot("44", Inci{1}), At{36}, Word{0}, kCopyWord),
    Field(Ot("44", Inci{1}), At{38}, Word{1}, kCopyWord),
    Field(Ot("44", Inci{2}), At{40}, Word{0}, kCopyWord),
    Field(Ot("44", Inci{3}), At{42}, Word{0}, kCopyWord),
    Field(Ot("44", Inci{4}), At{44}, Word{0}, kCopyWord),
    Field(Ot("44", Inci{5}), At{46}, Word{0}, kCopyWord),
    Field(Ot("44", Inci{6}), At{48}, Word{0}, kCopyWord),
    Field(Ot("44", Inci{7}), At{50}, Word{0}, kCopyWord),
    Field(Ot("44", Inci{8}), At{52}, Word{0}, kCopyWord),
};

// pfEX: incidents 4 to 8 of the ot77 records; the last four fields are placed out of order.
constexpr FieldDescriptor kFieldsEX[] = {
    Field(Ot("77", Inci{4}), At{0}, Word{1}, kCopyWord),
    Field(Ot("77", Inci{4}), At{2}, Word{2}, kCopyWord),
    Field(Ot("77", Inci{4}), At{4}, Word{3}, kCopyWord),
    Field(Ot("77", Inci{4}), At{6}, Word{4}, kCopyWord),
    Field(Ot("77", Inci{4}), At{8}, Word{5}, kCopyWord),
    Field(Ot("77", Inci{5}), At{10}, Word{0}, kCopyWord),
    Field(Ot("77", Inci{5}), At{12}, Word{1}, kCopyWord),
    Field(Ot("77", Inci{5}), At{14}, Word{2}, kCopyWord),
    Field(Ot("77", Inci{5}), At{16}, Word{3}, kCopyWord),
    Field(Ot("77", Inci{5}), At{18}, Word{4}, kCopyWord),
    Field(Ot("77", Inci{5}), At{20}, Word{5}, kCopyWord),
    Field(Ot("77", Inci{6}), At{22}, Word{0}, kCopyWord),
    Field(Ot("77", Inci{6}), At{24}, Word{1}, kCopyWord),
    Field(Ot("77", Inci{6}), At{26}, Word{2}, kCopyWord),
    Field(Ot("77", Inci{6}), At{28}, Word{3}, kCopyWord),
    Field(Ot("77", Inci{6}), At{30}, Word{4}, kCopyWord),
    Field(Ot("77", Inci{6}), At{32}, Word{5}, kCopyWord),
    Field(Ot("77", Inci{7}), At{34}, Word{0}, kCopyWord),
    Field(Ot("77", Inci{7}), At{36}, Word{1}, kCopyWord),
    Field(Ot("77", Inci{7}), At{38}, Word{2}, kCopyWord),
    Field(Ot("77", Inci{7}), At{40}, Word{3}, kCopyWord),
    Field(Ot("77", Inci{7}), At{46}, Word{4}, kCopyWord),
    Field(Ot("77", Inci{7}), At{48}, Word{5}, kCopyWord),
    Field(Ot("77", Inci{8}), At{42}, Word{0}, kCopyWord),
    Field(Ot("77", Inci{8}), At{44}, Word{1}, kCopyWord),
};

constexpr FieldDescriptor kFieldsPB[] = {
    Field(Ot("60", Inci{0}), At{0}, Word{0}, kHighWordFirst),
    Field(Ot("60", Inci{0}), At{4}, Word{2}, kHighWordFirst),
    Field(Ot("60", Inci{0}), At{8}, Word{4}, kHighWordFirst),
    Field(Ot("60", Inci{1}), At{12}, Word{0}, kHighWordFirst),
    Field(Ot("60", Inci{1}), At{16}, Word{2}, kHighWordFirst),
    Field(Ot("61", Inci{0}), At{20}, Word{0}, kHighWordFirst),
    Field(Ot("61", Inci{0}), At{24}, Word{2}, kHighWordFirst),
    Field(Ot("61", Inci{1}), At{28}, Word{0}, kHighWordFirst),
    Field(Ot("61", Inci{1}), At{32}, Word{2}, kHighWordFirst),
    Field(Ot("62", Inci{0}), At{36}, Word{0}, kHighWordFirst),
    Field(Ot("62", Inci{0}), At{40}, Word{2}, kHighWordFirst),
};

// pfSS: fields reach byte 108 although the widths add up to 96: each low-byte field at 28 to 48 leaves the
// two bytes after it unused.
constexpr FieldDescriptor kFieldsSS[] = {
    Field(Ot("SS", Inci{0}), At{0}, Word{0}, kHighWordFirst),
    Field(Ot("SS", Inci{0}), At{4}, Word{2}, kHighWordFirst),
    Field(Ot("SS", Inci{0}), At{8}, Word{4}, kHighWordFirst),
    Field(Ot("SS", Inci{1}), At{12}, Word{0}, kHighWordFirst),
    Field(Ot("SS", Inci{1}), At{16}, Word{2}, kHighWordFirst),
    Field(Ot("SS", Inci{1}), At{20}, Word{4}, kCopyWord),
    Field(Ot("SS", Inci{1}), At{22}, Word{5}, kCopyWord),
    Field(Ot("S1", Inci{0}), At{24}, Word{0}, kCopyWord),
    Field(Ot("S1", Inci{0}), At{26}, Word{1}, kCopyWord),
    Field(Ot("FI", Item{11}), At{28}, Word{0}, kLowByte),
    Field(Ot("FI", Item{11}), At{32}, Word{1}, kLowByte),
    Field(Ot("FI", Item{11}), At{36}, Word{2}, kLowByte),
    Field(Ot("FI", Item{12}), At{40}, Word{0}, kLowByte),
    Field(Ot("FI", Item{12}), At{44}, Word{1}, kLowByte),
    Field(Ot("FI", Item{12}), At{48}, Word{2}, kLowByte),
    Field(Ot("FI", Item{11}), At{52}, Word{3}, kCopyWord),
    Field(Ot("FI", Item{11}), At{54}, Word{4}, kCopyWord),
    Field(Ot("FI", Item{11}), At{56}, Word{5}, kCopyWord),
    Field(Ot("FI", Item{12}), At{58}, Word{3}, kCopyWord),
    Field(Ot("FI", Item{12}), At{60}, Word{4}, kCopyWord),
    Field(Ot("FI", Item{12}), At{62}, Word{5}, kCopyWord),
    Field(Ot("S1", Inci{0}), At{64}, Word{2}, kCopyWord),
    Field(Ot("S1", Inci{0}), At{66}, Word{3}, kCopyWord),
    Field(Ot("S1", Inci{0}), At{68}, Word{4}, kCopyWord),
    Field(Ot("S1", Inci{0}), At{70}, Word{5}, kCopyWord),
    Field(Ot("S2", Inci{0}), At{72}, Word{0}, kCopyWord),
    Field(Ot("S2", Inci{0}), At{74}, Word{1}, kCopyWord),
    Field(Ot("S2", Inci{0}), At{76}, Word{2}, kCopyWord),
    Field(Ot("S2", Inci{1}), At{78}, Word{0}, kCopyWord),
    Field(Ot("S2", Inci{1}), At{80}, Word{1}, kCopyWord),
    Field(Ot("S2", Inci{1}), At{82}, Word{2}, kCopyWord),
    Field(Ot("S2", Inci{2}), At{84}, Word{0}, kCopyWord),
    Field(Ot("S2", Inci{2}), At{86}, Word{1}, kCopyWord),
    Field(Ot("S2", Inci{2}), At{88}, Word{2}, kCopyWord),
    Field(Ot("S2", Inci{3}), At{90}, Word{0}, kCopyWord),
    Field(Ot("S2", Inci{3}), At{92}, Word{1}, kCopyWord),
    Field(Ot("S2", Inci{3}), At{94}, Word{2}, kCopyWord),
    Field(Ot("S3", Inci{0}), At{96}, Word{0}, kCopyWord),
    Field(Ot("S3", Inci{0}), At{98}, Word{1}, kCopyWord),
    Field(Ot("S3", Inci{1}), At{100}, Word{0}, kCopyWord),
    Field(Ot("S3", Inci{1}), At{102}, Word{1}, kCopyWord),
    Field(Ot("S3", Inci{2}), At{104}, Word{0}, kCopyWord),
    Field(Ot("S3", Inci{2}), At{106}, Word{1}, kCopyWord),
};

constexpr FieldDescriptor kFieldsPL[] = {
    Field(Ot("50", Inci{0}), At{0}, Word{0}, kCopyWord),
    Field(Ot("50", Inci{0}), At{2}, Word{1}, kCopyWord),
    Field(Ot("50", Inci{1}), At{4}, Word{0}, kCopyWord),
    Field(Ot("50", Inci{1}), At{6}, Word{1}, kCopyWord),
    Field(Ot("51", Inci{0}), At{8}, Word{0}, kCopyWord),
    Field(Ot("51", Inci{0}), At{10}, Word{1}, kCopyWord),
    Field(Ot("51", Inci{1}), At{12}, Word{0}, kCopyWord),
};

constexpr FieldDescriptor kFieldsMS[] = {
    Field(Ot("30", Inci{0}), At{0}, Word{0}, kHighWordFirst),
    Field(Ot("30", Inci{0}), At{4}, Word{2}, kHighWordFirst),
    Field(Ot("30", Inci{0}), At{8}, Word{4}, kHighWordFirst),
    Field(Ot("31", Inci{0}), At{12}, Word{0}, kCopyWord),
    Field(Ot("31", Inci{0}), At{14}, Word{1}, kCopyWord),
    Field(Ot("31", Inci{0}), At{16}, Word{2}, kCopyWord),
    Field(Ot("31", Inci{1}), At{18}, Word{0}, kNegatedFlag),
    Field(Ot("31", Inci{1}), At{20}, Word{1}, kNegatedFlag),
    Field(Ot("31", Inci{1}), At{22}, Word{2}, kNegatedFlag),
    Field(Ot("32", Inci{0}), At{24}, Word{0}, kCopyWord),
    Field(Ot("32", Inci{0}), At{26}, Word{1}, kNegatedFlag),
    Field(Ot("32", Inci{1}), At{28}, Word{0}, kCopyWord),
    Field(Ot("32", Inci{1}), At{30}, Word{1}, kNegatedFlag),
    Field(Ot("32", Inci{2}), At{32}, Word{0}, kCopyWord),
    Field(Ot("32", Inci{2}), At{34}, Word{1}, kNegatedFlag),
    Field(Ot("32", Inci{3}), At{36}, Word{0}, kCopyWord),
    Field(Ot("32", Inci{3}), At{38}, Word{1}, kNegatedFlag),
    Field(Ot("32", Inci{4}), At{40}, Word{0}, kCopyWord),
    Field(Ot("32", Inci{4}), At{42}, Word{1}, kNegatedFlag),
    Field(Ot("32", Inci{5}), At{44}, Word{0}, kCopyWord),
    Field(Ot("32", Inci{5}), At{46}, Word{1}, kNegatedFlag),
    Field(Ot("32", Inci{6}), At{48}, Word{0}, kCopyWord),
    Field(Ot("32", Inci{6}), At{50}, Word{1}, kNegatedFlag),
    Field(Ot("32", Inci{7}), At{52}, Word{0}, kCopyWord),
    Field(Ot("32", Inci{7}), At{54}, Word{1}, kNegatedFlag),
    Field(Ot("32", Inci{8}), At{56}, Word{0}, kCopyWord),
    Field(Ot("32", Inci{8}), At{58}, Word{1}, kNegatedFlag),
    Field(Ot("32", Inci{9}), At{60}, Word{0}, kCopyWord),
    Field(Ot("32", Inci{9}), At{62}, Word{1}, kNegatedFlag),
    Field(Ot("33", Inci{0}), At{64}, Word{0}, kLowByte),
    Field(Ot("33", Inci{0}), At{66}, Word{1}, kCopyWord),
    Field(Ot("33", Inci{1}), At{68}, Word{0}, kLowByte),
    Field(Ot("33", Inci{1}), At{70}, Word{1}, kCopyWord),
    Field(Ot("33", Inci{2}), At{72}, Word{0}, kLowByte),
    Field(Ot("33", Inci{2}), At{74}, Word{1}, kCopyWord),
    Field(Ot("33", Inci{3}), At{76}, Word{0}, kLowByte),
    Field(Ot("33", Inci{3}), At{78}, Word{1}, kCopyWord),
    Field(Ot("33", Inci{4}), At{80}, Word{0}, kLowByte),
    Field(Ot("33", Inci{4}), At{82}, Word{1}, kCopyWord),
    Field(Ot("33", Inci{5}), At{84}, Word{0}, kLowByte),
    Field(Ot("33", Inci{5}), At{86}, Word{1}, kCopyWord),
    Field(Ot("33", Inci{6}), At{88}, Word{0}, kLowByte),
    Field(Ot("33", Inci{6}), At{90}, Word{1}, kCopyWord),
    Field(Ot("33", Inci{7}), At{92}, Word{0}, kLowByte),
    Field(Ot("33", Inci{7}), At{94}, Word{1}, kCopyWord),
    Field(Ot("33", Inci{8}), At{96}, Word{0}, kLowByte),
    Field(Ot("33", Inci{8}), At{98}, Word{1}, kCopyWord),
    Field(Ot("33", Inci{9}), At{100}, Word{0}, kLowByte),
    Field(Ot("33", Inci{9}), At{102}, Word{1}, kCopyWord),
};

// 0x70664450, whose characters read pfDP.
constexpr FieldDescriptor kFieldsDP[] = {
    Field(Ot("70", Inci{0}), At{0}, Word{0}, kHighWordFirst),
    Field(Ot("70", Inci{0}), At{4}, Word{2}, kHighWordFirst),
    Field(Ot("70", Inci{0}), At{8}, Word{4}, kCopyWord),
    Field(Ot("70", Inci{0}), At{10}, Word{5}, kCopyWord),
    Field(Ot("71", Inci{0}), At{12}, Word{0}, kCopyWord),
    Field(Ot("71", Inci{0}), At{14}, Word{1}, kCopyWord),
    Field(Ot("71", Inci{0}), At{16}, Word{2}, kCopyWord),
    Field(Ot("71", Inci{1}), At{18}, Word{0}, kCopyWord),
    Field(Ot("71", Inci{1}), At{20}, Word{1}, kCopyWord),
    Field(Ot("71", Inci{1}), At{22}, Word{2}, kCopyWord),
    Field(Ot("71", Inci{2}), At{24}, Word{0}, kCopyWord),
    Field(Ot("71", Inci{2}), At{26}, Word{1}, kCopyWord),
    Field(Ot("71", Inci{2}), At{28}, Word{2}, kCopyWord),
    Field(Ot("71", Inci{3}), At{30}, Word{0}, kCopyWord),
    Field(Ot("71", Inci{3}), At{32}, Word{1}, kCopyWord),
    Field(Ot("71", Inci{3}), At{34}, Word{2}, kCopyWord),
    Field(Ot("72", Inci{0}), At{36}, Word{0}, kCopyWord),
    Field(Ot("72", Inci{0}), At{38}, Word{1}, kCopyWord),
    Field(Ot("72", Inci{1}), At{40}, Word{0}, kCopyWord),
    Field(Ot("72", Inci{1}), At{42}, Word{1}, kCopyWord),
    Field(Ot("72", Inci{2}), At{44}, Word{0}, kCopyWord),
    Field(Ot("72", Inci{2}), At{46}, Word{1}, kCopyWord),
    Field(Ot("72", Inci{3}), At{48}, Word{0}, kCopyWord),
    Field(Ot("72", Inci{3}), At{50}, Word{1}, kCopyWord),
    Field(Ot("72", Inci{4}), At{52}, Word{0}, kCopyWord),
    Field(Ot("72", Inci{4}), At{54}, Word{1}, kCopyWord),
    Field(Ot("72", Inci{5}), At{56}, Word{0}, kCopyWord),
    Field(Ot("72", Inci{5}), At{58}, Word{1}, kCopyWord),
    Field(Ot("72", Inci{6}), At{60}, Word{0}, kCopyWord),
    Field(Ot("72", Inci{6}), At{62}, Word{1}, kCopyWord),
    Field(Ot("72", Inci{7}), At{64}, Word{0}, kCopyWord),
    Field(Ot("72", Inci{7}), At{66}, Word{1}, kCopyWord),
    Field(Ot("72", Inci{8}), At{68}, Word{0}, kCopyWord),
    Field(Ot("72", Inci{8}), At{70}, Word{1}, kCopyWord),
    Field(Ot("72", Inci{9}), At{72}, Word{0}, kCopyWord),
    Field(Ot("72", Inci{9}), At{74}, Word{1}, kCopyWord),
};

constexpr FieldDescriptor kFieldsRP[] = {
    Field(Ot("35", Inci{0}), At{0}, Word{0}, kCopyWord),
    Field(Ot("35", Inci{0}), At{2}, Word{1}, kCopyWord),
    Field(Ot("35", Inci{0}), At{4}, Word{2}, kCopyWord),
    Field(Ot("35", Inci{0}), At{6}, Word{3}, kCopyWord),
    Field(Ot("35", Inci{0}), At{8}, Word{4}, kCopyWord),
    Field(Ot("35", Inci{0}), At{10}, Word{5}, kCopyWord),
    Field(Ot("35", Inci{1}), At{12}, Word{0}, kCopyWord),
    Field(Ot("35", Inci{1}), At{14}, Word{1}, kCopyWord),
    Field(Ot("35", Inci{1}), At{16}, Word{2}, kCopyWord),
    Field(Ot("35", Inci{1}), At{18}, Word{3}, kCopyWord),
    Field(Ot("35", Inci{1}), At{20}, Word{4}, kCopyWord),
    Field(Ot("35", Inci{1}), At{22}, Word{5}, kCopyWord),
    Field(Ot("36", Inci{0}), At{24}, Word{0}, kCopyWord),
    Field(Ot("36", Inci{0}), At{26}, Word{1}, kCopyWord),
    Field(Ot("36", Inci{0}), At{28}, Word{2}, kCopyWord),
    Field(Ot("36", Inci{0}), At{30}, Word{3}, kCopyWord),
    Field(Ot("36", Inci{1}), At{32}, Word{0}, kCopyWord),
    Field(Ot("36", Inci{1}), At{34}, Word{1}, kCopyWord),
    Field(Ot("37", Inci{0}), At{36}, Word{0}, kCopyWord),
    Field(Ot("37", Inci{0}), At{38}, Word{1}, kCopyWord),
};

constexpr FieldDescriptor kFields05[] = {
    Field(Ot("05", Inci{0}), At{0}, Word{0}, kCopyWord),
    Field(Ot("05", Inci{0}), At{2}, Word{1}, kCopyWord),
    Field(Ot("05", Inci{1}), At{4}, Word{0}, kCopyWord),
    Field(Ot("05", Inci{1}), At{6}, Word{1}, kCopyWord),
    Field(Ot("05", Inci{2}), At{8}, Word{0}, kCopyWord),
    Field(Ot("05", Inci{3}), At{10}, Word{0}, kCopyWord),
    Field(Ot("05", Inci{4}), At{12}, Word{0}, kCopyWord),
    Field(Ot("05", Inci{5}), At{14}, Word{0}, kCopyWord),
    Field(Ot("05", Inci{6}), At{16}, Word{0}, kCopyWord),
    Field(Ot("05", Inci{7}), At{18}, Word{0}, kCopyWord),
    Field(Ot("05", Inci{8}), At{20}, Word{0}, kCopyWord),
};

template <std::size_t N>
constexpr FieldTable Fields(uint32_t tag, const FieldDescriptor (&fields)[N], bool itemZeroOnly = false) {
    return FieldTable{tag, itemZeroOnly, fields, N};
}

constexpr FieldTable kFieldTables[] = {
    Fields(MakeTag('p', 'f', 'P', 'F'), kFieldsPF, true), Fields(MakeTag('p', 'f', 'S', 'I'), kFieldsSI),
    Fields(MakeTag('p', 'f', 'E', 'X'), kFieldsEX),       Fields(MakeTag('p', 'f', 'P', 'B'), kFieldsPB),
    Fields(MakeTag('p', 'f', 'S', 'S'), kFieldsSS),       Fields(MakeTag('p', 'f', 'P', 'L'), kFieldsPL),
    Fields(MakeTag('p', 'f', 'M', 'S'), kFieldsMS),       Fields(MakeTag('p', 'f', 'D', 'P'), kFieldsDP),
    Fields(MakeTag('p', 'f', 'R', 'P'), kFieldsRP),       Fields(MakeTag('p', 'f', '0', '5'), kFields05),
};

template <typename Table, std::size_t N>
constexpr bool AllPreferenceTags(const Table (&tables)[N]) {
    for (const Table& entry : tables) {
        if (!IsPreferenceTag(entry.tag)) return false;
    }
    return true;
}

static_assert(AllPreferenceTags(kPieceTables) && AllPreferenceTags(kFieldTables),
              "the look-ups reject tags without the \"pf\" prefix before searching");

// The words a field of this kind spans in its ot record: one per two bytes of the field.
int WordsSpanned(uint32_t kind) {
    return WidthOf(kind) / 2;
}

}  // namespace

const PieceTable* FindPieceTable(uint32_t tag) {
    if (!IsPreferenceTag(tag)) return nullptr;
    for (const PieceTable& entry : kPieceTables) {
        if (entry.tag == tag) return &entry;
    }
    return nullptr;
}

const PieceTable* PieceTables(std::size_t* count) {
    if (count != nullptr) *count = std::size(kPieceTables);
    return kPieceTables;
}

const FieldTable* FindFieldTable(uint32_t tag, int16_t itemNo) {
    if (!IsPreferenceTag(tag)) return nullptr;
    for (const FieldTable& entry : kFieldTables) {
        if (entry.tag != tag) continue;
        if (entry.itemZeroOnly && itemNo != 0) return nullptr;
        return &entry;
    }
    return nullptr;
}

const FieldTable* FieldTables(std::size_t* count) {
    if (count != nullptr) *count = std::size(kFieldTables);
    return kFieldTables;
}

uint32_t OtTagOf(const FieldDescriptor& field) {
    return OtTag(field.ot[0], field.ot[1]);
}

int16_t OtItemOf(const FieldDescriptor& field) {
    return field.itemNo == 0 ? kDocumentItem : field.itemNo;
}

bool SameOtRecord(const FieldDescriptor& a, const FieldDescriptor& b) {
    return a.ot[0] == b.ot[0] && a.ot[1] == b.ot[1] && a.itemNo == b.itemNo && a.inci == b.inci;
}

uint32_t RecordExtent(const FieldTable& table) {
    uint32_t extent = 0;
    for (std::size_t i = 0; i < table.count; ++i) {
        extent = std::max<uint32_t>(extent, table.fields[i].offset + table.fields[i].width);
    }
    return extent;
}

uint32_t WidthSum(const FieldTable& table) {
    uint32_t sum = 0;
    for (std::size_t i = 0; i < table.count; ++i) sum += table.fields[i].width;
    return sum;
}

void LoadField(const FieldDescriptor& field, const uint16_t (&words)[kOtWords], uint8_t* record,
               std::size_t size) {
    const int i = field.word;
    if (i + WordsSpanned(field.kind) > kOtWords) return;
    switch (field.kind) {
        case kCopyWord:
            bytes::WriteU16(record, size, field.offset, words[i]);
            break;
        case kHighWordFirst:
            bytes::WriteU32(record, size, field.offset,
                            (static_cast<uint32_t>(words[i]) << 16) | words[i + 1]);
            break;
        case kLowWordFirst:
            bytes::WriteU32(record, size, field.offset,
                            (static_cast<uint32_t>(words[i + 1]) << 16) | words[i]);
            break;
        case kNegatedFlag:
            bytes::WriteU16(record, size, field.offset, words[i] == 0 ? 1 : 0);
            break;
        case kLowByte:
            bytes::WriteU16(record, size, field.offset, words[i] & 0xFF);
            break;
    }
}

bool StoreField(const FieldDescriptor& field, const uint8_t* record, std::size_t size,
                uint16_t (&words)[kOtWords]) {
    const int i = field.word;
    const int span = WordsSpanned(field.kind);
    if (i + span > kOtWords || !bytes::Fits(size, field.offset, span == 2 ? 4 : 2)) return false;
    // Each kind sets the words it spans; a kind the switch does not know changes nothing.
    uint16_t updated[2] = {words[i]};
    switch (field.kind) {
        case kCopyWord:
            updated[0] = bytes::ReadU16(record, size, field.offset);
            break;
        case kHighWordFirst: {
            const uint32_t value = bytes::ReadU32(record, size, field.offset);
            updated[0] = static_cast<uint16_t>(value >> 16);
            updated[1] = static_cast<uint16_t>(value & 0xFFFF);
            break;
        }
        case kLowWordFirst: {
            const uint32_t value = bytes::ReadU32(record, size, field.offset);
            updated[0] = static_cast<uint16_t>(value & 0xFFFF);
            updated[1] = static_cast<uint16_t>(value >> 16);
            break;
        }
        case kNegatedFlag:
            updated[0] = bytes::ReadU16(record, size, field.offset) == 0 ? 1 : 0;
            break;
        case kLowByte: {
            const auto low = static_cast<int8_t>(bytes::ReadU16(record, size, field.offset) & 0xFF);
            updated[0] = static_cast<uint16_t>(static_cast<int16_t>(low));
            break;
        }
    }
    bool changed = false;
    for (int w = 0; w < span; ++w) {
        if (words[i + w] != updated[w]) {
            words[i + w] = updated[w];
            changed = true;
        }
    }
    return changed;
}

}  // namespace host::prefs
