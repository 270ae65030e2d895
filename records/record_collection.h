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
    // The element at `index`, or null when out of range (or not an element of the class); the collection keeps
    // ownership.
    Element* ElementAt(int32_t index) const { return this->template ItemAs<Element>(index); }
};

}  // namespace records

#endif
