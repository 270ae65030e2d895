#include "framework/fc_base.h"

const char* __FCBase::ClassName() const {
    return "__FCBase";
}

__FCBase::~__FCBase() = default;

bool __FCBase::IsSameClass(const __FCBase* other) const {
    return other != nullptr && other->ClassName() == ClassName();
}
