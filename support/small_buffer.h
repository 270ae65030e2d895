#ifndef MIREL_SUPPORT_SMALL_BUFFER_H
#define MIREL_SUPPORT_SMALL_BUFFER_H

#include <cstddef>
#include <cstring>
#include <vector>

// A block of `Size()` elements that lives inside its owner while it holds at most N of them and on the heap
// beyond that. The variable-size records the module handles (texts, definitions) are nearly all short, so most
// of them never touch the heap.
//
// Reset gives the strong guarantee: when the heap block cannot be had, std::bad_alloc leaves the buffer as it
// was. Data() moves when the block moves between inside and heap; callers that keep a pointer into the buffer
// take it anew after a Reset.
template <typename T, std::size_t N>
class SmallBuffer {
  public:
    SmallBuffer() = default;
    SmallBuffer(const SmallBuffer&) = delete;
    SmallBuffer& operator=(const SmallBuffer&) = delete;

    T* Data() { return heap_.empty() ? inline_ : heap_.data(); }
    const T* Data() const { return heap_.empty() ? inline_ : heap_.data(); }
    std::size_t Size() const { return size_; }

    // Makes the buffer `count` elements long, all of them zero.
    void Reset(std::size_t count) {
        if (count > N) {
            std::vector<T>(count).swap(heap_);
        } else {
            std::vector<T>().swap(heap_);
            std::memset(inline_, 0, count * sizeof(T));
        }
        size_ = count;
    }

  private:
    T inline_[N] = {};
    std::vector<T> heap_;
    std::size_t size_ = 0;
};

#endif
