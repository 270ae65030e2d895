#ifndef MIREL_TEXT_FONT_INFO_H
#define MIREL_TEXT_FONT_INFO_H

#include <cstdint>

#include "framework/fc_base.h"
#include "text/fc_string.h"

// A font description: an 8-bit font name, a point size and the effect bits as the host stores them.
// A new one is Times New Roman, 12 points, no effects.
class FCFontInfo : public __FCBase {
  public:
    static constexpr int kNameCapacity = 256;  // 255 bytes and the zero byte

    FCFontInfo();

    // The zero-terminated 8-bit name.
    const char* GetName() const { return name_; }
    // Takes at most 255 bytes of `name`; null gives an empty name.
    void SetName(const char* name);
    int16_t GetSize() const { return size_; }
    void SetSize(int16_t size) { size_ = size; }
    uint16_t GetEffects() const { return effects_; }
    void SetEffects(uint16_t effects) { effects_ = effects; }

    // The name the host gives the font number; "Times New Roman" when it gives none.
    void SetNameFromFontNumber(uint16_t fontNumber);

  private:
    char name_[kNameCapacity];
    int16_t size_ = 12;
    uint16_t effects_ = 0;
};

// Replaces the string with the tags that put the font at the head of a tagged text:
// "^font(" name ")^size(" size ")^nfx(" effects ")".
void AssignFontTags(FCString& text, const FCFontInfo& font);

// The tag text that starts an expression text when no category font is available.
constexpr const char* kDefaultFontTags = "^fontTxt(Times New Roman,4096)^size(12)^nfx(2)";

#endif
