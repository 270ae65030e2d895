#include "tests/unit/allocation_failure.h"

#include <cstdlib>
#include <new>

#include "standin/host/host.h"

namespace {
bool gFailAllocations = false;

bool gCountModuleAllocations = false;
long gModuleAllocations = 0;
long gFailingAllocation = 0;
bool gInjected = false;

// Counts an allocation of the module's; true when it is the one to fail.
bool ModuleAllocationFails() {
    if (!gCountModuleAllocations || standin::gHostCallDepth != 0) return false;
    ++gModuleAllocations;
    if (gModuleAllocations != gFailingAllocation) return false;
    gInjected = true;
    return true;
}
}  // namespace

AllocationFailure::AllocationFailure() {
    gFailAllocations = true;
}
AllocationFailure::~AllocationFailure() {
    gFailAllocations = false;
}

ModuleAllocationPlan::ModuleAllocationPlan(long failing) {
    gModuleAllocations = 0;
    gFailingAllocation = failing;
    gInjected = false;
    gCountModuleAllocations = true;
}
ModuleAllocationPlan::~ModuleAllocationPlan() {
    gCountModuleAllocations = false;
}
long ModuleAllocationPlan::Counted() const {
    return gModuleAllocations;
}
bool ModuleAllocationPlan::Injected() const {
    return gInjected;
}

void* operator new(std::size_t size) {
    if (gFailAllocations || ModuleAllocationFails()) throw std::bad_alloc();
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}

void* operator new[](std::size_t size) {
    return ::operator new(size);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}

// The non-throwing forms go through the same counting and failing, and free what they give with the same
// deallocator; otherwise the library's own users of them (std::stable_sort's buffer) would mix allocators.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return ::operator new(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
    return ::operator new(size, tag);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
