#ifndef MIREL_RECORDS_STAFF_H
#define MIREL_RECORDS_STAFF_H

#include <cstdint>

#include "framework/base_data.h"
#include "host/host_version.h"
#include "text/fc_string.h"

// One staff of the document: key (instrument id, 0), the id FX_SlotToInst gives for the staff's slot.
//
// Three layouts by host version at the moment of use (kLayouts): 136 bytes from 0x12000000 on, 132 bytes from
// 0x11000000 on, 114 bytes below. The staff's full name is reached through the text block at offset 30 in all
// three.
class FCStaff : public __FCNoInciOther {
  public:
    static constexpr uint32_t kTag = 0x534F4953;  // SOIS
    static constexpr int32_t kFullNameIDOffset = 30;

    struct Layout {
        uint32_t fromHostVersion;
        int32_t size;
        uint32_t recordVersion;
    };
    // Newest first; one embedded buffer per row.
    static constexpr Layout kLayouts[] = {
        {kHostVersion2012, 136, 0x12000000},
        {kHostVersion2011, 132, 0x11000000},
        {0, 114, 0x0F000000},
    };

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
    static const Layout& LayoutInForce();

    uint8_t buffer2012_[kLayouts[0].size] = {};
    uint8_t buffer2011_[kLayouts[1].size] = {};
    uint8_t bufferOld_[kLayouts[2].size] = {};
};

#endif
