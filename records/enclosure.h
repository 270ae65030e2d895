#ifndef MIREL_RECORDS_ENCLOSURE_H
#define MIREL_RECORDS_ENCLOSURE_H

#include <cstdint>

#include "framework/base_data.h"

// The enclosure record of a text expression definition: 12 bytes that are never interpreted, only loaded,
// copied and saved whole. It has the definition's item number as its own.
class FCEnclosure : public __FCNoInciOther {
  public:
    static constexpr uint32_t kDefaultTag = 0x6F744465;  // 'otDe'
    static constexpr int32_t kSize = 12;

    // Not loaded; the 12 bytes are zero.
    FCEnclosure();

    const char* ClassName() const override;

    uint8_t* AllocateDataArea() override;
    __FCBaseData* CreateInstance() const override;
    // customTag when set, otherwise 'otDe'.
    uint32_t Tag() const override;
    int32_t DataSize() override;
    // The other enclosure's 12 bytes; loaded size 12.
    void CopyDataFrom(const __FCBaseData* other) override;

  private:
    uint8_t record_[kSize];
};

#endif
