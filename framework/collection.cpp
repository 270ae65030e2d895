#include "framework/collection.h"

#include <cstdint>
#include <memory>
#include <new>

namespace {

// CONTRACT: the array grows to the next multiple of ten, not geometrically. Pinned by
// CollectionTest.CapacityGrowsToTheNextMultipleOfTen.
constexpr int32_t kGrowthStep = 10;
constexpr int32_t kLastKeyValue = INT16_MAX;

// The walk of ForEach and ForEachIndexed: `visit(element, index)` for each element in order, null ones passed
// over, until a visit answers false; answers how many visits answered true. The count is read anew on every
// step: a handler may add elements.
template <typename Visit>
int32_t VisitElements(const __FCCollection& collection, Visit visit) {
    int32_t visited = 0;
    for (int32_t i = 0; i < collection.Count(); ++i) {
        __FCBase* element = collection.GetItemAt(i);
        if (element == nullptr) continue;
        if (!visit(element, i)) break;
        ++visited;
    }
    return visited;
}

}  // namespace

// ---- __FCCollection ---------------------------------------------------------------------------------------

const char* __FCCollection::ClassName() const {
    return "__FCCollection";
}

int32_t __FCCollection::ForEach(__FCItemHandler* handler) {
    if (handler == nullptr) return 0;
    return VisitElements(*this, [handler](__FCBase* element, int32_t) { return handler->Visit(element); });
}

__FCBase* __FCCollection::FindFirst(__FCItemHandler* handler) {
    if (handler == nullptr) return nullptr;
    for (int32_t i = 0; i < Count(); ++i) {
        __FCBase* element = GetItemAt(i);
        if (element != nullptr && handler->Matches(element)) return element;
    }
    return nullptr;
}

int32_t __FCCollection::ForEachIndexed(__FCItemHandler* handler) {
    if (handler == nullptr) return 0;
    return VisitElements(
        *this, [handler](__FCBase* element, int32_t index) { return handler->VisitIndexed(element, index); });
}

void __FCCollection::EnsureRoom(int32_t extra) {
    if (extra < 0) extra = 0;
    const int64_t needed = static_cast<int64_t>(Count()) + extra;
    if (Capacity() >= needed) return;
    // The smallest multiple of the step above what is needed: growth is linear, not geometric.
    const int64_t grown = (needed + kGrowthStep) / kGrowthStep * kGrowthStep;
    if (grown > INT32_MAX) throw std::bad_alloc();
    items_.reserve(static_cast<std::size_t>(grown));
}

void __FCCollection::Add(std::unique_ptr<__FCBase> element) {
    EnsureRoom(1);
    items_.push_back(std::move(element));
}

// ---- __FCCollectionData -----------------------------------------------------------------------------------

const char* __FCCollectionData::ClassName() const {
    return "__FCCollectionData";
}

std::unique_ptr<__FCBaseData> __FCCollectionData::CreateWorkingElement() {
    std::unique_ptr<__FCBaseData> working = CreateElement();
    if (working != nullptr) working->SetCustomTag(customTag_);
    return working;
}

void __FCCollectionData::TakeCopy(const __FCBaseData* working) {
    std::unique_ptr<__FCBaseData> copy = working->CreateInstance();
    if (copy == nullptr) return;
    copy->CopyKeyFrom(working);
    copy->SetCustomTag(working->CustomTag());
    copy->CopyDataFrom(working);
    Add(std::move(copy));
}

int32_t __FCCollectionData::LoadAll() {
    ClearAll();
    const std::unique_ptr<__FCBaseData> working = CreateWorkingElement();
    if (working == nullptr) return Count();
    if (working->LoadFirst()) {
        TakeCopy(working.get());
        while (working->LoadNext()) TakeCopy(working.get());
    }
    return Count();
}

bool __FCCollectionData::SaveAll() {
    for (int32_t i = 0; i < Count(); ++i) {
        __FCBaseData* element = GetDataAt(i);
        if (element == nullptr) continue;
        element->SetCustomTag(customTag_);
        if (!element->Save()) return false;
    }
    return true;
}

// ---- __FCCollectionInciOther ------------------------------------------------------------------------------

const char* __FCCollectionInciOther::ClassName() const {
    return "__FCCollectionInciOther";
}

bool __FCCollectionInciOther::DeleteAllForItem(int16_t itemNo) {
    const std::unique_ptr<__FCBaseData> element = CreateWorkingElement();
    auto* working = dynamic_cast<__FCInciOther*>(element.get());
    if (working == nullptr) return false;
    if (!working->Load(itemNo, 0)) return true;

    int32_t incidents = 1;
    while (incidents <= kLastKeyValue && working->Load(itemNo, static_cast<int16_t>(incidents))) ++incidents;

    // From the highest incident down, so that the incidents still to be deleted keep their numbers.
    for (int32_t inci = incidents - 1; inci >= 0; --inci) {
        if (!working->Load(itemNo, static_cast<int16_t>(inci))) return false;
        if (!working->DeleteRecord()) return false;
    }
    return true;
}

int32_t __FCCollectionInciOther::LoadAllForItem(int16_t itemNo) {
    ClearAll();
    const std::unique_ptr<__FCBaseData> element = CreateWorkingElement();
    auto* working = dynamic_cast<__FCInciOther*>(element.get());
    if (working == nullptr) return Count();
    for (int32_t inci = 0; inci <= kLastKeyValue; ++inci) {
        if (!working->Load(itemNo, static_cast<int16_t>(inci))) break;
        TakeCopy(working);
    }
    return Count();
}

bool __FCCollectionInciOther::SaveAllForItem(int16_t itemNo) {
    if (!DeleteAllForItem(itemNo)) return false;
    for (int32_t i = 0; i < Count(); ++i) {
        auto* element = ItemAs<__FCInciOther>(i);
        if (element == nullptr) continue;
        element->SetCustomTag(CustomTag());
        if (!element->SaveNew(itemNo)) return false;
    }
    return true;
}

// ---- __FCCollectionNoInciOther, __FCCollectionDetail, __FCCollectionNoInciDetail --------------------------

const char* __FCCollectionNoInciOther::ClassName() const {
    return "__FCCollectionNoInciOther";
}

const char* __FCCollectionDetail::ClassName() const {
    return "__FCCollectionDetail";
}

const char* __FCCollectionNoInciDetail::ClassName() const {
    return "__FCCollectionNoInciDetail";
}

int32_t __FCCollectionNoInciDetail::LoadAllForItem(int16_t itemNo, int16_t firstItemNo2) {
    ClearAll();
    const std::unique_ptr<__FCBaseData> working = CreateWorkingElement();
    if (working == nullptr) return Count();
    for (int32_t itemNo2 = firstItemNo2; itemNo2 <= kLastKeyValue; ++itemNo2) {
        working->SetKeyField(0, itemNo);
        working->SetKeyField(1, static_cast<int16_t>(itemNo2));
        working->SetKeyField(2, 0);
        working->SetKeyField(3, 0);
        if (!working->LoadAtKey()) break;
        TakeCopy(working.get());
    }
    return Count();
}
