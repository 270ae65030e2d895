#include "records/enclosure.h"

#include <cstring>

FCEnclosure::FCEnclosure() {
    std::memset(record_, 0, sizeof record_);
}

const char* FCEnclosure::ClassName() const {
    return "FCEnclosure";
}

uint8_t* FCEnclosure::AllocateDataArea() {
    return record_;
}

__FCBaseData* FCEnclosure::CreateInstance() const {
    return new FCEnclosure();
}

uint32_t FCEnclosure::Tag() const {
    return customTag_ != 0 ? customTag_ : kDefaultTag;
}

int32_t FCEnclosure::DataSize() {
    return kSize;
}

void FCEnclosure::CopyDataFrom(const __FCBaseData* other) {
    const FCEnclosure* enclosure = dynamic_cast<const FCEnclosure*>(other);
    if (enclosure == nullptr || enclosure == this) return;
    std::memcpy(record_, enclosure->record_, sizeof record_);
    AttachLoaded(record_, kSize);
}
