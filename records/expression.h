#ifndef MIREL_RECORDS_EXPRESSION_H
#define MIREL_RECORDS_EXPRESSION_H

#include <cstdint>
#include <memory>

#include "framework/base_data.h"
#include "framework/cell.h"
#include "framework/collection.h"
#include "records/fixed_size_record.h"
#include "records/record_collection.h"

class FCTextExpressionDef;

// An expression attached to a measure and shown on one staff: key (measure number, index among the
// expressions of that measure on all staves, from 0). 24 bytes:
//   0   u16  definitionID     the text expression definition it shows
//   8   i16  staff            instrument id of its staff
//   10  u16  expressionFlags  bit 0x2000: definitionID names no text expression definition (a shape)
//   14  u16                   cleared when the expression is attached to a cell
// Every other byte is zero in a new expression and otherwise kept as loaded. A new expression counts as
// loaded, so it can be created in the document without a load.
class FCExpression : public records::FixedSizeRecord<FCExpression, __FCInciOther, 0x534F4459,  // SODY
                                                     records::kSingleLayout<24>> {
  public:
    static constexpr char kClassName[] = "FCExpression";
    static constexpr int32_t kDefinitionIDOffset = 0;
    static constexpr int32_t kStaffOffset = 8;
    static constexpr int32_t kFlagsOffset = 10;
    static constexpr int32_t kAttachWordOffset = 14;
    static constexpr uint16_t kShapeFlag = 0x2000;

    FCExpression() : FixedSizeRecord(NewObject::kLoaded) {}

    uint16_t GetDefinitionID() const;
    void SetDefinitionID(uint16_t definitionID);
    int16_t GetStaff() const;
    void SetStaff(int16_t staff);
    uint16_t GetExpressionFlags() const;
    void SetExpressionFlags(uint16_t flags);
    // True when the expression shows a shape rather than a text expression definition.
    bool IsShape() const { return (GetExpressionFlags() & kShapeFlag) != 0; }

    // The text expression definition the expression shows, with Load(definitionID) called on it whether or
    // not it loads; null for a shape. The caller owns it.
    std::unique_ptr<FCTextExpressionDef> CreateTextExpressionDef() const;

    // Attaches this expression as a new one to the cell's measure, on the cell's staff: refuses measure 0
    // and measures that do not load (nothing is written then), marks the measure as holding expressions and
    // appends the expression to it. Answers whether the expression was created.
    bool SaveNewToCell(const FCCell* cell);
};

// The expressions of one measure, or of one cell.
class FCExpressions : public records::RecordCollection<FCExpressions, __FCCollectionInciOther, FCExpression> {
  public:
    static constexpr char kClassName[] = "FCExpressions";

    FCExpression* GetExpressionAt(int32_t index) const { return ElementAt(index); }

    // The expressions of the cell's measure that stand on the cell's staff, in index order; loading stops at
    // the first index that does not load. Empties the collection first; 0 for no cell.
    int32_t LoadAllForCell(const FCCell* cell);
};

#endif
