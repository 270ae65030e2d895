#include "records/raw_text.h"

#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "host/host_version.h"
#include "support/utf16le.h"

const char* FCRawText::ClassName() const {
    return "FCRawText";
}

void FCRawText::FreeArea() {
    area_.Reset(0);
    data_ = nullptr;
}

uint8_t* FCRawText::NewArea(std::size_t size) {
    area_.Reset(size);
    data_ = area_.Data();
    return data_;
}

uint8_t* FCRawText::AllocateDataArea() {
    FreeArea();
    int32_t size = 0;
    QueryRecordSize(size);
    return NewArea(static_cast<std::size_t>(size));
}

void FCRawText::ReleaseDataArea() {
    FreeArea();
    loadedSize_ = 0;
}

bool FCRawText::IsVariableSize() const {
    return true;
}

__FCBaseData* FCRawText::CreateInstance() const {
    return nullptr;
}

uint32_t FCRawText::Tag() const {
    return customTag_ != 0 ? customTag_ : kRawTextTagDefault;
}

uint32_t FCRawText::RecordVersion() const {
    return HostVersion();
}

int32_t FCRawText::DataSize() {
    int32_t size = 0;
    QueryRecordSize(size);
    // Once an area is provided, the host may not be offered more than it holds, even when the record grew
    // between the two questions.
    if (data_ != nullptr && size > AreaSize()) return AreaSize();
    return size;
}

void FCRawText::CopyDataFrom(const __FCBaseData* other) {
    if (other == nullptr || other == this || other->Data() == nullptr) return;
    int32_t count = other->LoadedSize();
    if (const FCRawText* raw = dynamic_cast<const FCRawText*>(other)) {
        if (count > raw->AreaSize()) count = raw->AreaSize();
    }
    if (count <= 0) return;
    std::memcpy(NewArea(static_cast<std::size_t>(count)), other->Data(), static_cast<std::size_t>(count));
    loadedSize_ = count;
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
    const uint32_t length = text->Length();
    if (IsWideText()) {
        if (length >= static_cast<uint32_t>(INT32_MAX / 2)) throw std::bad_alloc();
        uint8_t* area = NewArea((static_cast<std::size_t>(length) + 1) * 2);
        if (length > 0) utf16le::Encode(text->WideBuffer(), length, area);
    } else {
        // The 8-bit copy of the text (the low byte of each unit) up to its first zero byte.
        uint32_t count = 0;
        while (count < length && (text->CharAt(static_cast<int32_t>(count)) & 0xFF) != 0) ++count;
        if (count >= static_cast<uint32_t>(INT32_MAX)) throw std::bad_alloc();
        uint8_t* area = NewArea(static_cast<std::size_t>(count) + 1);
        for (uint32_t i = 0; i < count; ++i) {
            area[i] = static_cast<uint8_t>(text->CharAt(static_cast<int32_t>(i)) & 0xFF);
        }
    }
    loadedSize_ = AreaSize();
}

FCString* FCRawText::CreateString() const {
    // Held until it is handed over: running out of memory on the way must not leak it.
    std::unique_ptr<FCString> text(new FCString());
    if (data_ == nullptr || loadedSize_ <= 0) return text.release();
    const uint32_t available = static_cast<uint32_t>(loadedSize_ < AreaSize() ? loadedSize_ : AreaSize());
    if (IsWideText()) {
        // The bytes may not be aligned for 16-bit access: the units are put together byte by byte. An odd
        // last byte is no unit.
        const uint32_t units = available / 2;
        std::vector<char16_t> copy(units + 1, 0);
        utf16le::Decode(data_, units, copy.data());
        text->AssignWideBounded(copy.data(), units);
    } else {
        text->AssignNarrowBounded(reinterpret_cast<const char*>(data_), available);
    }
    return text.release();
}

bool FCRawText::SaveNew() {
    if (!HasBytesToWrite()) return false;
    // A raw text's key is its item number alone: the incident stays 0, also when a new record is asked for.
    SetKeyField(0, -1);
    SetKeyField(1, 0);
    return CreateAtKey();
}
