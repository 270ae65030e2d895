#ifndef MIREL_FRAMEWORK_FC_BASE_H
#define MIREL_FRAMEWORK_FC_BASE_H

// Root of every framework class: a class name, a virtual destructor and a same-class test.
//
// Every class that overrides ClassName returns a text that exists once in the module, so IsSameClass compares
// the pointers, not the characters. A class that does not override ClassName reports its nearest base's name
// and so counts as the same class as that base.
//
// Whether an object can be copied or moved is its own class's decision: the root allows both to its derived
// classes only (so that nothing is sliced through a base reference). Value-like classes (strings, fonts,
// regions, cells) keep them; classes whose objects own or point at things that must not be shared (records,
// collections, windows) delete them.
class __FCBase {
  public:
    __FCBase() = default;

    virtual const char* ClassName() const;
    virtual ~__FCBase();
    virtual bool IsSameClass(const __FCBase* other) const;

  protected:
    __FCBase(const __FCBase&) = default;
    __FCBase(__FCBase&&) = default;
    __FCBase& operator=(const __FCBase&) = default;
    __FCBase& operator=(__FCBase&&) = default;
};

#endif
