#include "host/preference_tables.h"

#include <algorithm>
#include <iterator>

#include "support/bytes.h"

namespace host::prefs {

namespace {

// ---- Piece-wise records ----------------------------------------------------------------------------------

constexpr bool kAny = true;
constexpr bool kRange = false;

constexpr PieceTable kPieceTables[] = {
    // tag                        ot tag          n   any?    itemNo range
    {MakeTag('p', 'f', 'G', 'D'), OtTag('7', '9'), 1, kAny, 0, 0},
    {MakeTag('p', 'f', 'G', 'G'), OtTag('8', '8'), 11, kAny, 0, 0},
    {MakeTag('p', 'f', 'G', 'b'), OtTag('9', '8'), 1, kRange, 1, 4},
    {MakeTag('p', 'f', 'G', 'd'), OtTag('8', '0'), 1, kAny, 0, 0},
    {MakeTag('p', 'f', 'G', 's'), OtTag('9', '1'), 1, kRange, 1, 1},
    {MakeTag('p', 'f', 'M', 'M'), OtTag('2', '5'), 2, kAny, 0, 0},
    {MakeTag('p', 'f', 'N', 'D'), OtTag('0', '4'), 1, kAny, 0, 0},
    {MakeTag('p', 'f', 'N', 'd'), OtTag('6', '6'), 1, kAny, 0, 0},
    {MakeTag('p', 'f', 'P', 'F'), OtTag('7', '7'), 4, kRange, 1, 1},
    {MakeTag('p', 'f', 'S', 'C'), OtTag('5', '2'), 2, kAny, 0, 0},
    {MakeTag('p', 'f', 'S', 'N'), OtTag('4', '0'), 1, kRange, 1, 128},
    {MakeTag('p', 'f', 'S', 'P'), OtTag('9', '4'), 3, kAny, 0, 0},
    {MakeTag('p', 'f', 'S', 'l'), OtTag('2', '6'), 1, kRange, 1, 15},
    {MakeTag('p', 'f', 'T', 'C'), OtTag('8', '6'), 5, kAny, 0, 0},
    {MakeTag('p', 'f', 'T', 'I'), OtTag('8', '4'), 4, kAny, 0, 0},
    {MakeTag('p', 'f', 'T', 'X'), OtTag('7', '8'), 8, kAny, 0, 0},
    {MakeTag('p', 'f', 'T', 'p'), OtTag('8', '5'), 4, kAny, 0, 0},
    {MakeTag('p', 'f', 'T', 's'), OtTag('9', '0'), 1, kRange, 1, 9},
};

// ---- Field-wise records ----------------------------------------------------------------------------------
// One list per preference tag. Columns: ot tag (last two characters), ot itemNo (0: document-wide), ot inci,
// offset in the preference record, first word in the ot record, width, kind.

// pfPF with itemNo 0 (itemNo 1 is the piece-wise record of four ot77 pieces).
const FieldDescriptor kFieldsPF[] = {
    {{'1', '4'}, 0, 0, 0, 0, 4, kHighWordFirst}, {{'1', '5'}, 0, 0, 4, 2, 4, kHighWordFirst},
    {{'3', '9'}, 0, 0, 8, 2, 2, kCopyWord},      {{'1', '6'}, 0, 0, 10, 0, 2, kCopyWord},
    {{'1', '6'}, 0, 0, 12, 1, 2, kCopyWord},     {{'1', '6'}, 0, 0, 14, 2, 2, kCopyWord},
    {{'1', '6'}, 0, 0, 16, 3, 2, kCopyWord},     {{'3', '9'}, 0, 0, 18, 3, 2, kCopyWord},
    {{'3', '9'}, 0, 0, 20, 4, 2, kCopyWord},     {{'1', '7'}, 0, 0, 22, 0, 2, kCopyWord},
    {{'1', '7'}, 0, 0, 24, 1, 2, kCopyWord},     {{'1', '7'}, 0, 0, 26, 2, 2, kCopyWord},
    {{'1', '8'}, 0, 0, 28, 0, 2, kCopyWord},     {{'1', '8'}, 0, 0, 30, 1, 2, kCopyWord},
    {{'1', '9'}, 0, 0, 32, 0, 2, kCopyWord},     {{'1', '9'}, 0, 0, 34, 1, 2, kCopyWord},
    {{'2', '0'}, 0, 0, 36, 0, 2, kCopyWord},     {{'2', '0'}, 0, 0, 38, 1, 2, kCopyWord},
    {{'2', '0'}, 0, 0, 40, 2, 2, kCopyWord},     {{'2', '1'}, 0, 0, 42, 0, 2, kCopyWord},
    {{'2', '1'}, 0, 0, 44, 1, 2, kCopyWord},     {{'2', '1'}, 0, 0, 46, 2, 2, kCopyWord},
};

const FieldDescriptor kFieldsSI[] = {
    {{'4', '1'}, 0, 0, 0, 0, 4, kHighWordFirst}, {{'4', '1'}, 0, 0, 4, 2, 4, kHighWordFirst},
    {{'4', '2'}, 0, 0, 8, 0, 4, kHighWordFirst}, {{'4', '2'}, 0, 0, 12, 2, 4, kHighWordFirst},
    {{'4', '3'}, 0, 0, 16, 0, 2, kCopyWord},     {{'4', '3'}, 0, 0, 18, 1, 2, kCopyWord},
    {{'4', '3'}, 0, 1, 20, 0, 2, kCopyWord},     {{'4', '3'}, 0, 1, 22, 1, 2, kCopyWord},
    {{'4', '3'}, 0, 2, 24, 0, 2, kCopyWord},     {{'4', '3'}, 0, 2, 26, 1, 2, kCopyWord},
    {{'4', '3'}, 0, 3, 28, 0, 2, kCopyWord},     {{'4', '3'}, 0, 3, 30, 1, 2, kCopyWord},
    {{'4', '4'}, 0, 0, 32, 0, 2, kCopyWord},     {{'4', '4'}, 0, 0, 34, 1, 2, kCopyWord},
    {{'4', '4'}, 0, 1, 36, 0, 2, kCopyWord},     {{'4', '4'}, 0, 1, 38, 1, 2, kCopyWord},
    {{'4', '4'}, 0, 2, 40, 0, 2, kCopyWord},     {{'4', '4'}, 0, 3, 42, 0, 2, kCopyWord},
    {{'4', '4'}, 0, 4, 44, 0, 2, kCopyWord},     {{'4', '4'}, 0, 5, 46, 0, 2, kCopyWord},
    {{'4', '4'}, 0, 6, 48, 0, 2, kCopyWord},     {{'4', '4'}, 0, 7, 50, 0, 2, kCopyWord},
    {{'4', '4'}, 0, 8, 52, 0, 2, kCopyWord},
};

// pfEX: incidents 4 to 8 of the ot77 records; the last four fields are placed out of order.
const FieldDescriptor kFieldsEX[] = {
    {{'7', '7'}, 0, 4, 0, 1, 2, kCopyWord},  {{'7', '7'}, 0, 4, 2, 2, 2, kCopyWord},
    {{'7', '7'}, 0, 4, 4, 3, 2, kCopyWord},  {{'7', '7'}, 0, 4, 6, 4, 2, kCopyWord},
    {{'7', '7'}, 0, 4, 8, 5, 2, kCopyWord},  {{'7', '7'}, 0, 5, 10, 0, 2, kCopyWord},
    {{'7', '7'}, 0, 5, 12, 1, 2, kCopyWord}, {{'7', '7'}, 0, 5, 14, 2, 2, kCopyWord},
    {{'7', '7'}, 0, 5, 16, 3, 2, kCopyWord}, {{'7', '7'}, 0, 5, 18, 4, 2, kCopyWord},
    {{'7', '7'}, 0, 5, 20, 5, 2, kCopyWord}, {{'7', '7'}, 0, 6, 22, 0, 2, kCopyWord},
    {{'7', '7'}, 0, 6, 24, 1, 2, kCopyWord}, {{'7', '7'}, 0, 6, 26, 2, 2, kCopyWord},
    {{'7', '7'}, 0, 6, 28, 3, 2, kCopyWord}, {{'7', '7'}, 0, 6, 30, 4, 2, kCopyWord},
    {{'7', '7'}, 0, 6, 32, 5, 2, kCopyWord}, {{'7', '7'}, 0, 7, 34, 0, 2, kCopyWord},
    {{'7', '7'}, 0, 7, 36, 1, 2, kCopyWord}, {{'7', '7'}, 0, 7, 38, 2, 2, kCopyWord},
    {{'7', '7'}, 0, 7, 40, 3, 2, kCopyWord}, {{'7', '7'}, 0, 7, 46, 4, 2, kCopyWord},
    {{'7', '7'}, 0, 7, 48, 5, 2, kCopyWord}, {{'7', '7'}, 0, 8, 42, 0, 2, kCopyWord},
    {{'7', '7'}, 0, 8, 44, 1, 2, kCopyWord},
};

const FieldDescriptor kFieldsPB[] = {
    {{'6', '0'}, 0, 0, 0, 0, 4, kHighWordFirst},  {{'6', '0'}, 0, 0, 4, 2, 4, kHighWordFirst},
    {{'6', '0'}, 0, 0, 8, 4, 4, kHighWordFirst},  {{'6', '0'}, 0, 1, 12, 0, 4, kHighWordFirst},
    {{'6', '0'}, 0, 1, 16, 2, 4, kHighWordFirst}, {{'6', '1'}, 0, 0, 20, 0, 4, kHighWordFirst},
    {{'6', '1'}, 0, 0, 24, 2, 4, kHighWordFirst}, {{'6', '1'}, 0, 1, 28, 0, 4, kHighWordFirst},
    {{'6', '1'}, 0, 1, 32, 2, 4, kHighWordFirst}, {{'6', '2'}, 0, 0, 36, 0, 4, kHighWordFirst},
    {{'6', '2'}, 0, 0, 40, 2, 4, kHighWordFirst},
};

// pfSS: fields reach byte 108 although the widths add up to 96: each low-byte field at 28 to 48 leaves the
// two bytes after it unused.
const FieldDescriptor kFieldsSS[] = {
    {{'S', 'S'}, 0, 0, 0, 0, 4, kHighWordFirst},  {{'S', 'S'}, 0, 0, 4, 2, 4, kHighWordFirst},
    {{'S', 'S'}, 0, 0, 8, 4, 4, kHighWordFirst},  {{'S', 'S'}, 0, 1, 12, 0, 4, kHighWordFirst},
    {{'S', 'S'}, 0, 1, 16, 2, 4, kHighWordFirst}, {{'S', 'S'}, 0, 1, 20, 4, 2, kCopyWord},
    {{'S', 'S'}, 0, 1, 22, 5, 2, kCopyWord},      {{'S', '1'}, 0, 0, 24, 0, 2, kCopyWord},
    {{'S', '1'}, 0, 0, 26, 1, 2, kCopyWord},      {{'F', 'I'}, 11, 0, 28, 0, 2, kLowByte},
    {{'F', 'I'}, 11, 0, 32, 1, 2, kLowByte},      {{'F', 'I'}, 11, 0, 36, 2, 2, kLowByte},
    {{'F', 'I'}, 12, 0, 40, 0, 2, kLowByte},      {{'F', 'I'}, 12, 0, 44, 1, 2, kLowByte},
    {{'F', 'I'}, 12, 0, 48, 2, 2, kLowByte},      {{'F', 'I'}, 11, 0, 52, 3, 2, kCopyWord},
    {{'F', 'I'}, 11, 0, 54, 4, 2, kCopyWord},     {{'F', 'I'}, 11, 0, 56, 5, 2, kCopyWord},
    {{'F', 'I'}, 12, 0, 58, 3, 2, kCopyWord},     {{'F', 'I'}, 12, 0, 60, 4, 2, kCopyWord},
    {{'F', 'I'}, 12, 0, 62, 5, 2, kCopyWord},     {{'S', '1'}, 0, 0, 64, 2, 2, kCopyWord},
    {{'S', '1'}, 0, 0, 66, 3, 2, kCopyWord},      {{'S', '1'}, 0, 0, 68, 4, 2, kCopyWord},
    {{'S', '1'}, 0, 0, 70, 5, 2, kCopyWord},      {{'S', '2'}, 0, 0, 72, 0, 2, kCopyWord},
    {{'S', '2'}, 0, 0, 74, 1, 2, kCopyWord},      {{'S', '2'}, 0, 0, 76, 2, 2, kCopyWord},
    {{'S', '2'}, 0, 1, 78, 0, 2, kCopyWord},      {{'S', '2'}, 0, 1, 80, 1, 2, kCopyWord},
    {{'S', '2'}, 0, 1, 82, 2, 2, kCopyWord},      {{'S', '2'}, 0, 2, 84, 0, 2, kCopyWord},
    {{'S', '2'}, 0, 2, 86, 1, 2, kCopyWord},      {{'S', '2'}, 0, 2, 88, 2, 2, kCopyWord},
    {{'S', '2'}, 0, 3, 90, 0, 2, kCopyWord},      {{'S', '2'}, 0, 3, 92, 1, 2, kCopyWord},
    {{'S', '2'}, 0, 3, 94, 2, 2, kCopyWord},      {{'S', '3'}, 0, 0, 96, 0, 2, kCopyWord},
    {{'S', '3'}, 0, 0, 98, 1, 2, kCopyWord},      {{'S', '3'}, 0, 1, 100, 0, 2, kCopyWord},
    {{'S', '3'}, 0, 1, 102, 1, 2, kCopyWord},     {{'S', '3'}, 0, 2, 104, 0, 2, kCopyWord},
    {{'S', '3'}, 0, 2, 106, 1, 2, kCopyWord},
};

const FieldDescriptor kFieldsPL[] = {
    {{'5', '0'}, 0, 0, 0, 0, 2, kCopyWord},  {{'5', '0'}, 0, 0, 2, 1, 2, kCopyWord},
    {{'5', '0'}, 0, 1, 4, 0, 2, kCopyWord},  {{'5', '0'}, 0, 1, 6, 1, 2, kCopyWord},
    {{'5', '1'}, 0, 0, 8, 0, 2, kCopyWord},  {{'5', '1'}, 0, 0, 10, 1, 2, kCopyWord},
    {{'5', '1'}, 0, 1, 12, 0, 2, kCopyWord},
};

const FieldDescriptor kFieldsMS[] = {
    {{'3', '0'}, 0, 0, 0, 0, 4, kHighWordFirst}, {{'3', '0'}, 0, 0, 4, 2, 4, kHighWordFirst},
    {{'3', '0'}, 0, 0, 8, 4, 4, kHighWordFirst}, {{'3', '1'}, 0, 0, 12, 0, 2, kCopyWord},
    {{'3', '1'}, 0, 0, 14, 1, 2, kCopyWord},     {{'3', '1'}, 0, 0, 16, 2, 2, kCopyWord},
    {{'3', '1'}, 0, 1, 18, 0, 2, kNegatedFlag},  {{'3', '1'}, 0, 1, 20, 1, 2, kNegatedFlag},
    {{'3', '1'}, 0, 1, 22, 2, 2, kNegatedFlag},  {{'3', '2'}, 0, 0, 24, 0, 2, kCopyWord},
    {{'3', '2'}, 0, 0, 26, 1, 2, kNegatedFlag},  {{'3', '2'}, 0, 1, 28, 0, 2, kCopyWord},
    {{'3', '2'}, 0, 1, 30, 1, 2, kNegatedFlag},  {{'3', '2'}, 0, 2, 32, 0, 2, kCopyWord},
    {{'3', '2'}, 0, 2, 34, 1, 2, kNegatedFlag},  {{'3', '2'}, 0, 3, 36, 0, 2, kCopyWord},
    {{'3', '2'}, 0, 3, 38, 1, 2, kNegatedFlag},  {{'3', '2'}, 0, 4, 40, 0, 2, kCopyWord},
    {{'3', '2'}, 0, 4, 42, 1, 2, kNegatedFlag},  {{'3', '2'}, 0, 5, 44, 0, 2, kCopyWord},
    {{'3', '2'}, 0, 5, 46, 1, 2, kNegatedFlag},  {{'3', '2'}, 0, 6, 48, 0, 2, kCopyWord},
    {{'3', '2'}, 0, 6, 50, 1, 2, kNegatedFlag},  {{'3', '2'}, 0, 7, 52, 0, 2, kCopyWord},
    {{'3', '2'}, 0, 7, 54, 1, 2, kNegatedFlag},  {{'3', '2'}, 0, 8, 56, 0, 2, kCopyWord},
    {{'3', '2'}, 0, 8, 58, 1, 2, kNegatedFlag},  {{'3', '2'}, 0, 9, 60, 0, 2, kCopyWord},
    {{'3', '2'}, 0, 9, 62, 1, 2, kNegatedFlag},  {{'3', '3'}, 0, 0, 64, 0, 2, kLowByte},
    {{'3', '3'}, 0, 0, 66, 1, 2, kCopyWord},     {{'3', '3'}, 0, 1, 68, 0, 2, kLowByte},
    {{'3', '3'}, 0, 1, 70, 1, 2, kCopyWord},     {{'3', '3'}, 0, 2, 72, 0, 2, kLowByte},
    {{'3', '3'}, 0, 2, 74, 1, 2, kCopyWord},     {{'3', '3'}, 0, 3, 76, 0, 2, kLowByte},
    {{'3', '3'}, 0, 3, 78, 1, 2, kCopyWord},     {{'3', '3'}, 0, 4, 80, 0, 2, kLowByte},
    {{'3', '3'}, 0, 4, 82, 1, 2, kCopyWord},     {{'3', '3'}, 0, 5, 84, 0, 2, kLowByte},
    {{'3', '3'}, 0, 5, 86, 1, 2, kCopyWord},     {{'3', '3'}, 0, 6, 88, 0, 2, kLowByte},
    {{'3', '3'}, 0, 6, 90, 1, 2, kCopyWord},     {{'3', '3'}, 0, 7, 92, 0, 2, kLowByte},
    {{'3', '3'}, 0, 7, 94, 1, 2, kCopyWord},     {{'3', '3'}, 0, 8, 96, 0, 2, kLowByte},
    {{'3', '3'}, 0, 8, 98, 1, 2, kCopyWord},     {{'3', '3'}, 0, 9, 100, 0, 2, kLowByte},
    {{'3', '3'}, 0, 9, 102, 1, 2, kCopyWord},
};

// 0x70664450, whose characters read pfDP.
const FieldDescriptor kFieldsDP[] = {
    {{'7', '0'}, 0, 0, 0, 0, 4, kHighWordFirst}, {{'7', '0'}, 0, 0, 4, 2, 4, kHighWordFirst},
    {{'7', '0'}, 0, 0, 8, 4, 2, kCopyWord},      {{'7', '0'}, 0, 0, 10, 5, 2, kCopyWord},
    {{'7', '1'}, 0, 0, 12, 0, 2, kCopyWord},     {{'7', '1'}, 0, 0, 14, 1, 2, kCopyWord},
    {{'7', '1'}, 0, 0, 16, 2, 2, kCopyWord},     {{'7', '1'}, 0, 1, 18, 0, 2, kCopyWord},
    {{'7', '1'}, 0, 1, 20, 1, 2, kCopyWord},     {{'7', '1'}, 0, 1, 22, 2, 2, kCopyWord},
    {{'7', '1'}, 0, 2, 24, 0, 2, kCopyWord},     {{'7', '1'}, 0, 2, 26, 1, 2, kCopyWord},
    {{'7', '1'}, 0, 2, 28, 2, 2, kCopyWord},     {{'7', '1'}, 0, 3, 30, 0, 2, kCopyWord},
    {{'7', '1'}, 0, 3, 32, 1, 2, kCopyWord},     {{'7', '1'}, 0, 3, 34, 2, 2, kCopyWord},
    {{'7', '2'}, 0, 0, 36, 0, 2, kCopyWord},     {{'7', '2'}, 0, 0, 38, 1, 2, kCopyWord},
    {{'7', '2'}, 0, 1, 40, 0, 2, kCopyWord},     {{'7', '2'}, 0, 1, 42, 1, 2, kCopyWord},
    {{'7', '2'}, 0, 2, 44, 0, 2, kCopyWord},     {{'7', '2'}, 0, 2, 46, 1, 2, kCopyWord},
    {{'7', '2'}, 0, 3, 48, 0, 2, kCopyWord},     {{'7', '2'}, 0, 3, 50, 1, 2, kCopyWord},
    {{'7', '2'}, 0, 4, 52, 0, 2, kCopyWord},     {{'7', '2'}, 0, 4, 54, 1, 2, kCopyWord},
    {{'7', '2'}, 0, 5, 56, 0, 2, kCopyWord},     {{'7', '2'}, 0, 5, 58, 1, 2, kCopyWord},
    {{'7', '2'}, 0, 6, 60, 0, 2, kCopyWord},     {{'7', '2'}, 0, 6, 62, 1, 2, kCopyWord},
    {{'7', '2'}, 0, 7, 64, 0, 2, kCopyWord},     {{'7', '2'}, 0, 7, 66, 1, 2, kCopyWord},
    {{'7', '2'}, 0, 8, 68, 0, 2, kCopyWord},     {{'7', '2'}, 0, 8, 70, 1, 2, kCopyWord},
    {{'7', '2'}, 0, 9, 72, 0, 2, kCopyWord},     {{'7', '2'}, 0, 9, 74, 1, 2, kCopyWord},
};

const FieldDescriptor kFieldsRP[] = {
    {{'3', '5'}, 0, 0, 0, 0, 2, kCopyWord},  {{'3', '5'}, 0, 0, 2, 1, 2, kCopyWord},
    {{'3', '5'}, 0, 0, 4, 2, 2, kCopyWord},  {{'3', '5'}, 0, 0, 6, 3, 2, kCopyWord},
    {{'3', '5'}, 0, 0, 8, 4, 2, kCopyWord},  {{'3', '5'}, 0, 0, 10, 5, 2, kCopyWord},
    {{'3', '5'}, 0, 1, 12, 0, 2, kCopyWord}, {{'3', '5'}, 0, 1, 14, 1, 2, kCopyWord},
    {{'3', '5'}, 0, 1, 16, 2, 2, kCopyWord}, {{'3', '5'}, 0, 1, 18, 3, 2, kCopyWord},
    {{'3', '5'}, 0, 1, 20, 4, 2, kCopyWord}, {{'3', '5'}, 0, 1, 22, 5, 2, kCopyWord},
    {{'3', '6'}, 0, 0, 24, 0, 2, kCopyWord}, {{'3', '6'}, 0, 0, 26, 1, 2, kCopyWord},
    {{'3', '6'}, 0, 0, 28, 2, 2, kCopyWord}, {{'3', '6'}, 0, 0, 30, 3, 2, kCopyWord},
    {{'3', '6'}, 0, 1, 32, 0, 2, kCopyWord}, {{'3', '6'}, 0, 1, 34, 1, 2, kCopyWord},
    {{'3', '7'}, 0, 0, 36, 0, 2, kCopyWord}, {{'3', '7'}, 0, 0, 38, 1, 2, kCopyWord},
};

const FieldDescriptor kFields05[] = {
    {{'0', '5'}, 0, 0, 0, 0, 2, kCopyWord},  {{'0', '5'}, 0, 0, 2, 1, 2, kCopyWord},
    {{'0', '5'}, 0, 1, 4, 0, 2, kCopyWord},  {{'0', '5'}, 0, 1, 6, 1, 2, kCopyWord},
    {{'0', '5'}, 0, 2, 8, 0, 2, kCopyWord},  {{'0', '5'}, 0, 3, 10, 0, 2, kCopyWord},
    {{'0', '5'}, 0, 4, 12, 0, 2, kCopyWord}, {{'0', '5'}, 0, 5, 14, 0, 2, kCopyWord},
    {{'0', '5'}, 0, 6, 16, 0, 2, kCopyWord}, {{'0', '5'}, 0, 7, 18, 0, 2, kCopyWord},
    {{'0', '5'}, 0, 8, 20, 0, 2, kCopyWord},
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

// The words a field of this kind spans in its ot record.
int WordsSpanned(uint32_t kind) {
    return (kind == kHighWordFirst || kind == kLowWordFirst) ? 2 : 1;
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
        default:
            break;
    }
}

bool StoreField(const FieldDescriptor& field, const uint8_t* record, std::size_t size,
                uint16_t (&words)[kOtWords]) {
    const int i = field.word;
    const int span = WordsSpanned(field.kind);
    if (i + span > kOtWords || !bytes::Fits(size, field.offset, span == 2 ? 4 : 2)) return false;
    uint16_t updated[2] = {words[i], span == 2 ? words[i + 1] : uint16_t{0}};
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
        default:
            return false;
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
