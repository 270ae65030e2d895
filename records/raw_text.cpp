#include "records/raw_text.h"

#include <new>

#include "host/host_version.h"
#include "text/host_text.h"

const char* FCRawText::ClassName() const {
    return "FCRawText";
}

std::unique_ptr<__FCBaseData> FCRawText::CreateInstance() const {
    return nullptr;
}

uint32_t FCRawText::Tag() const {
    return CustomTag() != 0 ? CustomTag() : kRawTextTagDefault;
}

uint32_t FCRawText::RecordVersion() const {
    return HostVersion();
}

void FCRawText::CopyDataFrom(const __FCBaseData* other) {
    if (other == nullptr || other == this || other->Data() == nullptr) return;
    const int32_t count = other->LoadedSize();
    if (count <= 0) return;
    CopyBytesFrom(other->Data(), count);
}

bool FCRawText::LoadFirst() {
    SetItemNo(0);
    return __FCBaseData::LoadNext();
}

void FCRawText::SetItemNo(int16_t itemNo) {
    SetKeyField(0, itemNo);
}

bool FCRawText::IsWideText() const {
    return HostUsesWideText();
}

int16_t FCRawText::ItemNo() const {
    return KeyField(0);
}

void FCRawText::SetText(const FCString* text) {
    if (text == nullptr) return;
    const std::size_t size = HostTextSize(*text);
    if (size > static_cast<std::size_t>(INT32_MAX)) throw std::bad_alloc();
    const int32_t bytes = static_cast<int32_t>(size);
    WriteHostText(*text, ReplaceBytes(bytes, bytes));
}

std::unique_ptr<FCString> FCRawText::CreateString() const {
    auto text = std::make_unique<FCString>();
    if (Data() != nullptr && HeldSize() > 0)
        ReadHostText(Data(), static_cast<std::size_t>(HeldSize()), *text);
    return text;
}

bool FCRawText::SaveNew() {
    if (!HasBytesToWrite()) return false;
    // A raw text's key is its item number alone: the incident stays 0, also when a new record is asked for.
    SetKeyField(0, -1);
    SetKeyField(1, 0);
    return CreateAtKey();
}
