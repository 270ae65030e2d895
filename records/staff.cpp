#include "records/staff.h"

#include "records/full_name.h"

bool FCStaff::LoadFirst() {
    SetKeyField(0, 0);
    SetKeyField(1, 0);
    return LoadNext();
}

uint16_t FCStaff::GetFullNameID() const {
    return ReadU16(kFullNameIDOffset);
}

std::unique_ptr<FCString> FCStaff::GetFullName() const {
    return records::CreateFullNameFromTextBlock(GetFullNameID());
}
