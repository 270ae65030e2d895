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
// rebuilds. Allocation failure raises std::bad_alloc and leaves the string as it was.

class FCString : public __FCBase {
  public:
    FCString();
    explicit FCString(const char* narrow);

    const char* ClassName() const override;

    uint32_t Length() const { return length_; }
    uint32_t Capacity() const { return static_cast<uint32_t>(units_.size()); }
    // The zero-terminated units; null only after AssignNarrow(nullptr).
    const char16_t* WideBuffer() const { return units_.empty() ? nullptr : units_.data(); }
    // The unit at `index`, or 0 when the index (taken as unsigned) is not below the length.
    char16_t CharAt(int32_t index) const;

    // Makes room for n units plus the terminator.
    void Reserve(uint32_t n);

    void AssignNarrow(const char* text);
    void AssignWide(const char16_t* text);
    // Replaces the contents with `count` units, stopping early at a zero unit. For texts the host hands over
    // in a buffer of known size that may lack a terminator.
    void AssignWideBounded(const char16_t* text, uint32_t count);
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
    void SetLength(uint32_t length);
    char16_t* Units() { return units_.data(); }
    const char16_t* Units() const { return units_.data(); }

    uint32_t length_ = 0;
    // The units and the terminator; as long as the capacity, empty only after AssignNarrow(nullptr).
    std::vector<char16_t> units_;
    std::string narrow_;
};

#endif
