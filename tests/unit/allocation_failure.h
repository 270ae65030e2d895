#ifndef MIREL_TESTS_UNIT_ALLOCATION_FAILURE_H
#define MIREL_TESTS_UNIT_ALLOCATION_FAILURE_H

// While an AllocationFailure lives, every operator new in this process throws std::bad_alloc.
class AllocationFailure {
  public:
    AllocationFailure();
    ~AllocationFailure();
    AllocationFailure(const AllocationFailure&) = delete;
    AllocationFailure& operator=(const AllocationFailure&) = delete;
};

#endif
