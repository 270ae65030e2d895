#ifndef MIREL_RECORDS_RECORD_COLLECTION_H
#define MIREL_RECORDS_RECORD_COLLECTION_H

#include <cstdint>
#include <memory>

#include "framework/base_data.h"
#include "framework/collection.h"

namespace records {

// The common part of the collections of one record class: the collection's name (Derived::kClassName), its
// element factory and typed access to its elements. The collection class adds only loaders of its own.
template <typename Derived, typename CollectionBase, typename Element>
class RecordCollection : public CollectionBase {
  public:
    const char* ClassName() const override { return Derived::kClassName; }
    std::unique_ptr<__FCBaseData> CreateElement() override { return std::make_unique<Element>(); }

  protected:
    // The element at `index`, or null when out of range or not of the element class; the collection keeps
    // ownership. The class is told by its class name, as IsSameClass tells classes apart (each name exists
    // once), which costs one virtual call where a dynamic_cast would search the class tree: the sweep reads
    // elements thousands of times per run.
    Element* ElementAt(int32_t index) const {
        __FCBase* item = this->GetItemAt(index);
        return item != nullptr && item->ClassName() == Element::kClassName ? static_cast<Element*>(item)
                                                                           : nullptr;
    }
};

}  // namespace records

#endif
