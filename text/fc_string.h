#ifndef MIREL_TEXT_FC_STRING_H
#define MIREL_TEXT_FC_STRING_H

#include <cstdint>

#include <string>
#include <vector>

#include "framework/fc_base.h"

// The module's one string type: UTF-16 units with a terminator.
//
// The wide buffer grows in steps of 10 units. 8-bit text enters one byte per unit and leaves as the low byte
// of each unit (ToNarrow); there is no code-page conversion. The narrow copy is a cache that only ToNarrow
// rebuilds.
//
// Allocation failure raises std::bad_alloc. A failed Reserve leaves the string as it was: its buffer, capacity
// and length. No other operation promises that (Assign empties the string before it reserves).
//
// A string is a value: it can be moved and returned by value. A moved-from string is as after
// AssignNarrow(nullptr): no buffer, length 0.
class FCString : public __FCBase {
  public:
    FCString();
    explicit FCString(const char* narrow);
    FCString(FCString&& other) noexcept;
    FCString& operator=(FCString&& other) noexcept;
    // Characters are copied by Assign, never by accident.
    FCString(const FCString&) = delete;
    FCString& operator=(const FCString&) = delete;

    const char* ClassName() const override;

    uint32_t Length() const { return length_; }
    uint32_t Capacity() const { return static_cast<uint32_t>(units_.size()); }
    // The zero-terminated units; null only after AssignNarrow(nullptr).
    const char16_t* WideBuffer() const { return units_.empty() ? nullptr : units_.data(); }
    // The unit at `index`, or 0 when the index (taken as unsigned) is not below the length.
    char16_t CharAt(int32_t index) const;

    // Makes room for n units plus the terminator.
    void Reserve(uint32_t n) {
        if (n < UINT32_MAX && Capacity() > n + 1) return;
        Grow(n);
    }

    void AssignNarrow(const char* text);
    void AssignWide(const char16_t* text);
    // Replaces the contents with `count` units, stopping early at a zero unit. For texts the host hands over
    // in a buffer of known size that may lack a terminator.
    void AssignWideBounded(const char16_t* text, uint32_t count);
    // The same for `count` units stored as little-endian byte pairs at `bytes`, which need not be aligned for
    // 16-bit access (texts inside host records).
    void AssignWideBytesBounded(const uint8_t* bytes, uint32_t count);
    // Replaces the contents with `count` bytes, stopping early at a zero byte.
    void AssignNarrowBounded(const char* text, uint32_t count);
    void Assign(const FCString* other);
    void AssignNumber(int32_t value);

    void Append(const FCString* other);
    void AppendNarrow(const char* text);
    void AppendChar(char16_t unit);
    void AppendNumber(int32_t value);

    // Rebuilds the 8-bit copy (low byte of each unit) and returns it; valid until the next ToNarrow.
    const char* ToNarrow();

    bool Equals(const FCString* other) const;
    bool StartsWithNarrow(const char* prefix);
    bool Contains(const FCString* other) const;

    // Tag removal on the host's tagged text (see text/tagged_text.cpp).
    bool StripTags();
    bool StripFontTags();

  private:
    // Reserve's growth: a buffer of the smallest multiple of 10 above n, holding the first `length` units.
    void Grow(uint32_t n);
    void SetLength(uint32_t length);
    // Makes the text `count` units long, uninitialised but terminated, and answers where they go.
    char16_t* Resize(uint32_t count);
    char16_t* Units() { return units_.data(); }
    const char16_t* Units() const { return units_.data(); }

    uint32_t length_ = 0;
    // The units and the terminator; as long as the capacity, empty only after AssignNarrow(nullptr).
    std::vector<char16_t> units_;
    std::string narrow_;
};

#endif
