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

// While a ModuleAllocationPlan lives, the module's allocations are counted: those made while no stand-in
// host function runs (the host's own allocations are not the module's, and a host never throws into its
// caller). With `failing` above 0, allocation number `failing` (from 1) throws std::bad_alloc instead.
class ModuleAllocationPlan {
  public:
    explicit ModuleAllocationPlan(long failing = 0);
    ~ModuleAllocationPlan();
    ModuleAllocationPlan(const ModuleAllocationPlan&) = delete;
    ModuleAllocationPlan& operator=(const ModuleAllocationPlan&) = delete;

    long Counted() const;
    bool Injected() const;
};

#endif
