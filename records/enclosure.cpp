#include "records/enclosure.h"

uint32_t FCEnclosure::Tag() const {
    return customTag_ != 0 ? customTag_ : kDefaultTag;
}

void FCEnclosure::CopyDataFrom(const __FCBaseData* other) {
    const FCEnclosure* enclosure = dynamic_cast<const FCEnclosure*>(other);
    if (enclosure == nullptr || enclosure == this) return;
    CopyWholeRecordFrom(*enclosure);
}
