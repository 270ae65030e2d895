#include "tests/unit/allocation_failure.h"

#include <cstdlib>
#include <new>

namespace {
bool gFailAllocations = false;
}

AllocationFailure::AllocationFailure() {
    gFailAllocations = true;
}
AllocationFailure::~AllocationFailure() {
    gFailAllocations = false;
}

void* operator new(std::size_t size) {
    if (gFailAllocations) throw std::bad_alloc();
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
