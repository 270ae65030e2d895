#ifndef MIREL_RECORDS_ENCLOSURE_H
#define MIREL_RECORDS_ENCLOSURE_H

#include <cstdint>

#include "framework/base_data.h"
#include "records/fixed_size_record.h"

// The enclosure record of a text expression definition: 12 bytes that are never interpreted, only loaded,
// copied and saved whole. It has the definition's item number as its own.
class FCEnclosure : public records::FixedSizeRecord<FCEnclosure, __FCNoInciOther, 0x6F744465,  // 'otDe'
                                                    records::kSingleLayout<12>> {
  public:
    static constexpr char kClassName[] = "FCEnclosure";
    static constexpr uint32_t kDefaultTag = kTag;

    // Not loaded; the 12 bytes are zero.
    FCEnclosure() : FixedSizeRecord(NewObject::kNotLoaded) {}

    // customTag when set, otherwise 'otDe'.
    uint32_t Tag() const override;
    // The other enclosure's 12 bytes; loaded size 12.
    void CopyDataFrom(const __FCBaseData* other) override;
};

#endif
