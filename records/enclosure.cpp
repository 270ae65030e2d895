#include "records/enclosure.h"

uint32_t FCEnclosure::Tag() const {
    return CustomTag() != 0 ? CustomTag() : kDefaultTag;
}

void FCEnclosure::CopyDataFrom(const __FCBaseData* other) {
    const FCEnclosure* enclosure = dynamic_cast<const FCEnclosure*>(other);
    if (enclosure == nullptr || enclosure == this) return;
    CopyWholeRecordFrom(*enclosure);
}
