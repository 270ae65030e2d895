#ifndef MIREL_FRAMEWORK_COLLECTION_H
#define MIREL_FRAMEWORK_COLLECTION_H

#include <cstdint>
#include <memory>
#include <vector>

#include "framework/base_data.h"
#include "framework/fc_base.h"

// What ForEach, FindFirst and ForEachIndexed call for each element. The framework defines no handler of its
// own; a caller's handler answers all three.
class __FCItemHandler {
  public:
    virtual ~__FCItemHandler() = default;
    virtual bool Visit(__FCBase* element) = 0;
    virtual bool VisitIndexed(__FCBase* element, int32_t index) = 0;
    virtual bool Matches(__FCBase* element) = 0;
};

// The abstract root of everything that can be walked.
class __FCIteratorBase : public __FCBase {};

// A growable array of owned objects. The array grows to the smallest multiple of 10 above what is needed (not
// geometrically); elements may be null and every walk skips them. The collection owns its elements: Add takes
// them over, and clearing or destroying the collection destroys them.
class __FCCollection : public __FCIteratorBase {
  public:
    __FCCollection() = default;
    __FCCollection(const __FCCollection&) = delete;
    __FCCollection& operator=(const __FCCollection&) = delete;
    // The vector destroys the elements.
    ~__FCCollection() override = default;

    const char* ClassName() const override;

    virtual int32_t ForEach(__FCItemHandler* handler);
    virtual __FCBase* FindFirst(__FCItemHandler* handler);
    virtual int32_t ForEachIndexed(__FCItemHandler* handler);

    int32_t Count() const { return static_cast<int32_t>(items_.size()); }
    // The length of the array; the vector is always given exactly this room (EnsureRoom).
    int32_t Capacity() const { return static_cast<int32_t>(items_.capacity()); }
    // The element at `index`, or null when out of range. The collection keeps ownership.
    __FCBase* GetItemAt(int32_t index) const {
        return index >= 0 && index < Count() ? items_[static_cast<std::size_t>(index)].get() : nullptr;
    }
    // The element at `index` as an `Element`: null when out of range or of another class.
    template <typename Element>
    Element* ItemAs(int32_t index) const {
        return dynamic_cast<Element*>(GetItemAt(index));
    }
    void EnsureRoom(int32_t extra);
    // Appends `element` (null is allowed); the collection owns it from the call on, also when the array cannot
    // grow.
    void Add(std::unique_ptr<__FCBase> element);
    // Destroys every element; the array and its capacity stay for reuse.
    void ClearAll() { items_.clear(); }

  private:
    std::vector<std::unique_ptr<__FCBase>> items_;
};

// A collection of host records of one class, filled from the document.
class __FCCollectionData : public __FCCollection {
  public:
    const char* ClassName() const override;

    // A new, empty element (the element class's CreateInstance).
    virtual std::unique_ptr<__FCBaseData> CreateElement() = 0;
    // Every record of the tag from LoadFirst on; returns the count.
    virtual int32_t LoadAll();
    // Save of each element in index order; false at the first failure.
    virtual bool SaveAll();

    uint32_t CustomTag() const { return customTag_; }
    void SetCustomTag(uint32_t tag) { customTag_ = tag; }

    __FCBaseData* GetDataAt(int32_t index) const { return ItemAs<__FCBaseData>(index); }

  protected:
    // A new element with the collection's custom tag: the working element of a loader.
    std::unique_ptr<__FCBaseData> CreateWorkingElement();
    // Appends a copy of the working element: same key, same custom tag, CopyDataFrom.
    void TakeCopy(const __FCBaseData* working);

  private:
    uint32_t customTag_ = 0;
};

// Collections of records with incidents (elements derive from __FCInciOther).
class __FCCollectionInciOther : public __FCCollectionData {
  public:
    const char* ClassName() const override;

    // Deletes every incident of `itemNo`, from the highest down.
    virtual bool DeleteAllForItem(int16_t itemNo);
    // Incidents 0, 1, 2, ... of `itemNo` until the first that does not load; returns the count.
    virtual int32_t LoadAllForItem(int16_t itemNo);
    // Replaces every incident of `itemNo` with the elements, in index order.
    virtual bool SaveAllForItem(int16_t itemNo);
};

// Collections of records without incidents (elements derive from __FCNoInciOther).
class __FCCollectionNoInciOther : public __FCCollectionData {
  public:
    const char* ClassName() const override;
};

// Collections of detail records.
class __FCCollectionDetail : public __FCCollectionData {
  public:
    const char* ClassName() const override;
};

// Collections of detail records without incidents.
class __FCCollectionNoInciDetail : public __FCCollectionDetail {
  public:
    const char* ClassName() const override;

    // Records (itemNo, firstItemNo2), (itemNo, firstItemNo2 + 1), ... until the first that does not load.
    virtual int32_t LoadAllForItem(int16_t itemNo, int16_t firstItemNo2);
};

#endif
