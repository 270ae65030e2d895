#include "text/fc_string.h"

#include <charconv>
#include <cstring>
#include <new>

namespace {

// A number's decimal digits, with a minus sign when negative, zero-terminated.
struct DecimalText {
    char digits[16];
    explicit DecimalText(int32_t value) { *std::to_chars(digits, digits + sizeof digits - 1, value).ptr = 0; }
};

uint32_t NarrowLength(const char* text) {
    return static_cast<uint32_t>(std::strlen(text));
}

uint32_t WideLength(const char16_t* text) {
    uint32_t n = 0;
    while (text[n] != 0) ++n;
    return n;
}

// Adds two counts; a sum that would overflow 32 bits is an allocation that cannot succeed.
uint32_t CheckedSum(uint32_t a, uint32_t b) {
    if (b > UINT32_MAX - a) throw std::bad_alloc();
    return a + b;
}

}  // namespace

FCString::FCString() {
    AssignNarrow("");
}

FCString::FCString(const char* narrow) {
    AssignNarrow(narrow);
}

const char* FCString::ClassName() const {
    return "FCString";
}

char16_t FCString::CharAt(int32_t index) const {
    const uint32_t at = static_cast<uint32_t>(index);
    return at < length_ ? Units()[at] : char16_t{0};
}

void FCString::Reserve(uint32_t n) {
    if (Capacity() > CheckedSum(n, 1)) return;
    // CONTRACT: the smallest multiple of 10 above n, not geometric growth. Pinned by
    // FCStringTest.CapacityGrowsInStepsOfTen.
    const uint32_t newCapacity = (CheckedSum(n, 10) / 10) * 10;
    // The vector keeps the units and, when its own storage must grow, leaves the string as it was on failure.
    units_.resize(newCapacity);
}

void FCString::SetLength(uint32_t length) {
    length_ = length;
    Units()[length_] = 0;
}

void FCString::AssignNarrow(const char* text) {
    if (text == nullptr) {
        std::vector<char16_t>().swap(units_);
        length_ = 0;
        return;
    }
    AssignNarrowBounded(text, NarrowLength(text));
}

void FCString::AssignNarrowBounded(const char* text, uint32_t count) {
    uint32_t n = 0;
    while (n < count && text[n] != 0) ++n;
    Reserve(n);
    char16_t* units = Units();
    for (uint32_t i = 0; i < n; ++i) units[i] = static_cast<unsigned char>(text[i]);
    SetLength(n);
}

void FCString::AssignWide(const char16_t* text) {
    AssignWideBounded(text, WideLength(text));
}

void FCString::AssignWideBounded(const char16_t* text, uint32_t count) {
    uint32_t n = 0;
    while (n < count && text[n] != 0) ++n;
    Reserve(n);
    if (n > 0) std::memcpy(Units(), text, n * sizeof(char16_t));
    SetLength(n);
}

void FCString::Assign(const FCString* other) {
    AssignNarrow("");
    if (other->length_ == 0) return;
    Reserve(CheckedSum(other->length_, 1));
    std::memcpy(Units(), other->Units(), (other->length_ + 1) * sizeof(char16_t));
    length_ = other->length_;
}

void FCString::AssignNumber(int32_t value) {
    const DecimalText number(value);
    AssignNarrow("");
    for (const char* p = number.digits; *p != 0; ++p) AppendChar(static_cast<char16_t>(*p));
}

void FCString::Append(const FCString* other) {
    const uint32_t otherLength = other->length_;
    Reserve(CheckedSum(length_, otherLength));
    // Both are taken after Reserve, which may move the buffer (`other` may be this string).
    char16_t* units = Units();
    const char16_t* from = other->Units();
    for (uint32_t i = 0; i < otherLength; ++i) units[length_ + i] = from[i];
    SetLength(length_ + otherLength);
}

void FCString::AppendNarrow(const char* text) {
    const uint32_t count = NarrowLength(text);
    Reserve(CheckedSum(length_, count));
    char16_t* units = Units();
    for (uint32_t i = 0; i < count; ++i) units[length_ + i] = static_cast<unsigned char>(text[i]);
    SetLength(length_ + count);
}

void FCString::AppendChar(char16_t unit) {
    Reserve(CheckedSum(length_, 1));
    Units()[length_] = unit;
    SetLength(length_ + 1);
}

void FCString::AppendNumber(int32_t value) {
    // Appended without a string of their own: font tags take two numbers for every mark placed.
    AppendNarrow(DecimalText(value).digits);
}

const char* FCString::ToNarrow() {
    narrow_.clear();
    narrow_.reserve(CheckedSum(length_, 1));
    const char16_t* units = Units();
    for (uint32_t i = 0; i < length_; ++i) narrow_.push_back(static_cast<char>(units[i] & 0xFF));
    return narrow_.c_str();
}

bool FCString::Equals(const FCString* other) const {
    if (other == nullptr || other->length_ != length_) return false;
    for (uint32_t i = 0; i < length_; ++i) {
        if (Units()[i] != other->Units()[i]) return false;
    }
    return true;
}

bool FCString::StartsWithNarrow(const char* prefix) {
    const uint32_t n = NarrowLength(prefix);
    if (length_ < n) return false;
    return std::memcmp(ToNarrow(), prefix, n) == 0;
}

bool FCString::Contains(const FCString* other) const {
    if (other == nullptr) return false;
    if (other->length_ == 0) return true;
    if (other->length_ > length_) return false;
    for (uint32_t p = 0; p + other->length_ <= length_; ++p) {
        if (std::memcmp(Units() + p, other->Units(), other->length_ * sizeof(char16_t)) == 0) return true;
    }
    return false;
}
