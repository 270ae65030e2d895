#ifndef MIREL_FRAMEWORK_FC_BASE_H
#define MIREL_FRAMEWORK_FC_BASE_H

// Root of every framework class: a class name, a virtual destructor and a same-class test.
//
// Every class that overrides ClassName returns a text that exists once in the module, so IsSameClass compares
// the pointers, not the characters. A class that does not override ClassName reports its nearest base's name
// and so counts as the same class as that base.
class __FCBase {
  public:
    __FCBase() = default;
    __FCBase(const __FCBase&) = delete;
    __FCBase& operator=(const __FCBase&) = delete;

    virtual const char* ClassName() const;
    virtual ~__FCBase();
    virtual bool IsSameClass(const __FCBase* other) const;
};

#endif
