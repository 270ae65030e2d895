#include "records/multi_staff.h"

#include "records/full_name.h"

// ---- FCMultiStaffInstrument -------------------------------------------------------------------------------

uint16_t FCMultiStaffInstrument::GetStaffID1() const {
    return ReadU16(kStaffID1Offset);
}
uint16_t FCMultiStaffInstrument::GetStaffID2() const {
    return ReadU16(kStaffID2Offset);
}
uint16_t FCMultiStaffInstrument::GetStaffID3() const {
    return ReadU16(kStaffID3Offset);
}
uint16_t FCMultiStaffInstrument::GetGroupID() const {
    return ReadU16(kGroupIDOffset);
}

bool FCMultiStaffInstrument::HasStaff(int16_t staff) const {
    const uint16_t id = static_cast<uint16_t>(staff);
    return GetStaffID1() == id || GetStaffID2() == id || GetStaffID3() == id;
}

// ---- FCGroup ----------------------------------------------------------------------------------------------

bool FCGroup::LoadFirst() {
    SetKey(0, 0, 0);
    return LoadNext();
}

int16_t FCGroup::GetTopStaff() const {
    return ReadI16(kTopStaffOffset);
}
int16_t FCGroup::GetBottomStaff() const {
    return ReadI16(kBottomStaffOffset);
}
uint16_t FCGroup::GetFullNameID() const {
    return ReadU16(kFullNameIDOffset);
}
int16_t FCGroup::GetStartMeasure() const {
    return ReadI16(kStartMeasureOffset);
}

std::unique_ptr<FCString> FCGroup::GetFullName() const {
    return records::CreateFullNameFromTextBlock(GetFullNameID());
}

// ---- FCGroups ---------------------------------------------------------------------------------------------

FCGroup* FCGroups::FindGroup(int16_t topStaff, int16_t bottomStaff, int16_t startMeasure) const {
    for (int32_t i = 0; i < Count(); ++i) {
        FCGroup* group = GetGroupAt(i);
        if (group == nullptr) continue;
        if (group->GetTopStaff() == topStaff && group->GetBottomStaff() == bottomStaff &&
            group->GetStartMeasure() == startMeasure)
            return group;
    }
    return nullptr;
}
