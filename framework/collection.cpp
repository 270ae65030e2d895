#include "framework/collection.h"

#include <cstdint>
#include <memory>
#include <new>

namespace {

// CONTRACT: the array grows to the next multiple of ten, not geometrically. Pinned by
// CollectionTest.CapacityGrowsToTheNextMultipleOfTen.
constexpr int32_t kGrowthStep = 10;
constexpr int32_t kLastKeyValue = INT16_MAX;

}  // namespace

// ---- __FCCollection ---------------------------------------------------------------------------------------

__FCCollection::~__FCCollection() {
    ClearAll();
    delete[] items_;
    items_ = nullptr;
    capacity_ = 0;
}

const char* __FCCollection::ClassName() const {
    return "__FCCollection";
}

int32_t __FCCollection::ForEach(__FCItemHandler* handler) {
    if (handler == nullptr) return 0;
    int32_t visited = 0;
    // The count is read anew on every step: a handler may add elements.
    for (int32_t i = 0; i < count_; ++i) {
        __FCBase* element = items_[i];
        if (element == nullptr) continue;
        if (!handler->Visit(element)) break;
        ++visited;
    }
    return visited;
}

__FCBase* __FCCollection::FindFirst(__FCItemHandler* handler) {
    if (handler == nullptr) return nullptr;
    for (int32_t i = 0; i < count_; ++i) {
        __FCBase* element = items_[i];
        if (element != nullptr && handler->Matches(element)) return element;
    }
    return nullptr;
}

int32_t __FCCollection::ForEachIndexed(__FCItemHandler* handler) {
    if (handler == nullptr) return 0;
    int32_t visited = 0;
    for (int32_t i = 0; i < count_; ++i) {
        __FCBase* element = items_[i];
        if (element == nullptr) continue;
        if (!handler->VisitIndexed(element, i)) break;
        ++visited;
    }
    return visited;
}

__FCBase* __FCCollection::GetItemAt(int32_t index) const {
    if (items_ == nullptr || index < 0 || index >= count_) return nullptr;
    return items_[index];
}

void __FCCollection::EnsureRoom(int32_t extra) {
    if (extra < 0) extra = 0;
    const int64_t needed = static_cast<int64_t>(count_) + extra;
    if (capacity_ >= needed) return;
    // The smallest multiple of the step above what is needed: growth is linear, not geometric.
    const int64_t grown = (needed + kGrowthStep) / kGrowthStep * kGrowthStep;
    if (grown > INT32_MAX) throw std::bad_alloc();
    const int32_t newCapacity = static_cast<int32_t>(grown);
    __FCBase** newItems = new __FCBase*[static_cast<std::size_t>(newCapacity)];
    for (int32_t i = 0; i < newCapacity; ++i) newItems[i] = i < count_ ? items_[i] : nullptr;
    delete[] items_;
    items_ = newItems;
    capacity_ = newCapacity;
}

void __FCCollection::Add(__FCBase* element) {
    // The collection owns the element from the moment it is handed over, also when the array cannot grow.
    std::unique_ptr<__FCBase> owned(element);
    EnsureRoom(1);
    items_[count_] = owned.release();
    ++count_;
}

void __FCCollection::ClearAll() {
    for (int32_t i = 0; i < count_; ++i) {
        delete items_[i];
        items_[i] = nullptr;
    }
    count_ = 0;
}

// ---- __FCCollectionData -----------------------------------------------------------------------------------

const char* __FCCollectionData::ClassName() const {
    return "__FCCollectionData";
}

__FCBaseData* __FCCollectionData::CreateWorkingElement() {
    __FCBaseData* working = CreateElement();
    if (working != nullptr) working->SetCustomTag(customTag_);
    return working;
}

void __FCCollectionData::TakeCopy(const __FCBaseData* working) {
    std::unique_ptr<__FCBaseData> copy(working->CreateInstance());
    if (copy == nullptr) return;
    copy->CopyKeyFrom(working);
    copy->SetCustomTag(working->CustomTag());
    copy->CopyDataFrom(working);
    Add(copy.release());
}

int32_t __FCCollectionData::LoadAll() {
    ClearAll();
    std::unique_ptr<__FCBaseData> working(CreateWorkingElement());
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

namespace {

// The working element of an incident loader, as the incident record it must be.
std::unique_ptr<__FCInciOther> AsInciOther(__FCBaseData* element) {
    std::unique_ptr<__FCBaseData> owned(element);
    auto* inci = dynamic_cast<__FCInciOther*>(owned.get());
    if (inci == nullptr) return nullptr;
    owned.release();
    return std::unique_ptr<__FCInciOther>(inci);
}

}  // namespace

const char* __FCCollectionInciOther::ClassName() const {
    return "__FCCollectionInciOther";
}

bool __FCCollectionInciOther::DeleteAllForItem(int16_t itemNo) {
    std::unique_ptr<__FCInciOther> working = AsInciOther(CreateWorkingElement());
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
    std::unique_ptr<__FCInciOther> working = AsInciOther(CreateWorkingElement());
    if (working == nullptr) return Count();
    for (int32_t inci = 0; inci <= kLastKeyValue; ++inci) {
        if (!working->Load(itemNo, static_cast<int16_t>(inci))) break;
        TakeCopy(working.get());
    }
    return Count();
}

bool __FCCollectionInciOther::SaveAllForItem(int16_t itemNo) {
    if (!DeleteAllForItem(itemNo)) return false;
    for (int32_t i = 0; i < Count(); ++i) {
        auto* element = dynamic_cast<__FCInciOther*>(GetItemAt(i));
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
    std::unique_ptr<__FCBaseData> working(CreateWorkingElement());
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
