#ifndef MIREL_RECORDS_STAFF_H
#define MIREL_RECORDS_STAFF_H

#include <cstdint>

#include "framework/base_data.h"
#include "text/fc_string.h"

// One staff of the document: key (instrument id, 0), the id FX_SlotToInst gives for the staff's slot.
//
// Three layouts by host version at the moment of use: 136 bytes from 0x12000000 on, 132 bytes from 0x11000000
// on, 114 bytes below. The staff's full name is reached through the text block at offset 30 in all three.
class FCStaff : public __FCNoInciOther {
  public:
    static constexpr uint32_t kTag = 0x534F4953;  // SOIS
    static constexpr int32_t kSize2012 = 136;
    static constexpr int32_t kSize2011 = 132;
    static constexpr int32_t kSizeOld = 114;
    static constexpr uint32_t kVersion2012 = 0x12000000;
    static constexpr uint32_t kVersion2011 = 0x11000000;
    static constexpr uint32_t kVersionOld = 0x0F000000;
    static constexpr int32_t kFullNameIDOffset = 30;

    FCStaff() = default;

    const char* ClassName() const override;
    uint8_t* AllocateDataArea() override;
    __FCBaseData* CreateInstance() const override;
    uint32_t Tag() const override;
    uint32_t RecordVersion() const override;
    int32_t DataSize() override;
    void CopyDataFrom(const __FCBaseData* other) override;
    // Key (0, 0), then the host's next staff: a walk begins at the first staff the host holds.
    bool LoadFirst() override;

    // Item number of the text block with the staff's full name; 0 when nothing is loaded.
    uint16_t GetFullNameID() const;
    // The staff's instrument name without font, size and effect tags; the caller owns it.
    FCString* GetFullName() const;

  private:
    uint8_t buffer2012_[kSize2012] = {};
    uint8_t buffer2011_[kSize2011] = {};
    uint8_t bufferOld_[kSizeOld] = {};
};

#endif
