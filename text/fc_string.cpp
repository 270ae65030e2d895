#include "text/fc_string.h"

#include <charconv>
#include <cstring>
#include <new>
#include <utility>

#include "support/utf16le.h"

namespace {

// A number's decimal digits, with a minus sign when negative, zero-terminated.
struct DecimalText {
    char digits[12];  // room for the longest, "-2147483648", and the terminator
    explicit DecimalText(int32_t value) { *std::to_chars(digits, digits + sizeof digits - 1, value).ptr = 0; }
};

uint32_t NarrowLength(const char* text) {
    return static_cast<uint32_t>(std::strlen(text));
}

// Adds two counts; a sum that would overflow 32 bits is an allocation that cannot succeed.
uint32_t CheckedSum(uint32_t a, uint32_t b) {
    if (b > UINT32_MAX - a) throw std::bad_alloc();
    return a + b;
}

// Each byte widened unsigned: 0xE9 becomes U+00E9.
void Widen(const char* text, uint32_t count, char16_t* units) {
    for (uint32_t i = 0; i < count; ++i) units[i] = static_cast<unsigned char>(text[i]);
}

}  // namespace

// As AssignNarrow(""): an empty text in a buffer of ten units.
FCString::FCString() : units_(10, 0) {}

FCString::FCString(const char* narrow) {
    AssignNarrow(narrow);
}

FCString::FCString(FCString&& other) noexcept
    : __FCBase(std::move(other)),
      length_(std::exchange(other.length_, 0)),
      units_(std::move(other.units_)),
      narrow_(std::move(other.narrow_)) {
    other.units_.clear();
}

FCString& FCString::operator=(FCString&& other) noexcept {
    if (this == &other) return *this;
    length_ = std::exchange(other.length_, 0);
    units_ = std::move(other.units_);
    narrow_ = std::move(other.narrow_);
    other.units_.clear();
    return *this;
}

const char* FCString::ClassName() const {
    return "FCString";
}

char16_t FCString::CharAt(int32_t index) const {
    const uint32_t at = static_cast<uint32_t>(index);
    return at < length_ ? Units()[at] : char16_t{0};
}

void FCString::Grow(uint32_t n) {
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

char16_t* FCString::Resize(uint32_t count) {
    Reserve(count);
    SetLength(count);
    return Units();
}

void FCString::AssignNarrow(const char* text) {
    if (text == nullptr) {
        std::vector<char16_t>().swap(units_);
        length_ = 0;
        return;
    }
    const uint32_t n = NarrowLength(text);
    Widen(text, n, Resize(n));
}

void FCString::AssignNarrowBounded(const char* text, uint32_t count) {
    const void* zero = std::memchr(text, 0, count);
    const uint32_t n = zero != nullptr ? static_cast<uint32_t>(static_cast<const char*>(zero) - text) : count;
    Widen(text, n, Resize(n));
}

void FCString::AssignWide(const char16_t* text) {
    AssignWideBounded(text, UINT32_MAX);  // the bounded assign stops at the terminator
}

void FCString::AssignWideBounded(const char16_t* text, uint32_t count) {
    uint32_t n = 0;
    while (n < count && text[n] != 0) ++n;
    char16_t* units = Resize(n);
    if (n > 0) std::memcpy(units, text, n * sizeof(char16_t));
}

void FCString::AssignWideBytesBounded(const uint8_t* bytes, uint32_t count) {
    const auto n = static_cast<uint32_t>(utf16le::UnitsBeforeZero(bytes, count));
    utf16le::Decode(bytes, n, Resize(n));
}

void FCString::Assign(const FCString* other) {
    AssignNarrow("");
    if (other->length_ == 0) return;
    Reserve(CheckedSum(other->length_, 1));
    std::memcpy(Units(), other->Units(), (other->length_ + 1) * sizeof(char16_t));
    length_ = other->length_;
}

void FCString::AssignNumber(int32_t value) {
    // Reserving for the digits once gives the capacity that appending them one by one would.
    AssignNarrow(DecimalText(value).digits);
}

void FCString::Append(const FCString* other) {
    const uint32_t otherLength = other->length_;
    const uint32_t start = length_;
    Reserve(CheckedSum(start, otherLength));
    // Taken after Reserve, which may move the buffer.
    if (otherLength > 0) std::memcpy(Units() + start, other->Units(), otherLength * sizeof(char16_t));
    SetLength(start + otherLength);
}

void FCString::AppendNarrow(const char* text) {
    const uint32_t count = NarrowLength(text);
    const uint32_t start = length_;
    Reserve(CheckedSum(start, count));
    Widen(text, count, Units() + start);
    SetLength(start + count);
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
    narrow_.resize(length_);
    const char16_t* units = Units();
    for (uint32_t i = 0; i < length_; ++i) narrow_[i] = static_cast<char>(units[i] & 0xFF);
    return narrow_.c_str();
}

bool FCString::Equals(const FCString* other) const {
    if (other == nullptr || other->length_ != length_) return false;
    return length_ == 0 || std::memcmp(Units(), other->Units(), length_ * sizeof(char16_t)) == 0;
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
    const char16_t* units = Units();
    const char16_t* part = other->Units();
    const char16_t first = part[0];
    for (uint32_t p = 0; p + other->length_ <= length_; ++p) {
        if (units[p] == first && std::memcmp(units + p, part, other->length_ * sizeof(char16_t)) == 0)
            return true;
    }
    return false;
}
