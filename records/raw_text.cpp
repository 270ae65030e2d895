#include "records/raw_text.h"

#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "host/host_api.h"
#include "host/host_version.h"
#include "support/utf16le.h"

FCRawText::~FCRawText() {
    FreeArea();
}

const char* FCRawText::ClassName() const {
    return "FCRawText";
}

void FCRawText::FreeArea() {
    delete[] data_;
    data_ = nullptr;
    areaSize_ = 0;
}

int32_t FCRawText::QuerySize() {
    uint32_t size = 0;
    if (host::FX_LoadEData(Tag(), key_, nullptr, &size, RecordVersion()) == 0) return 0;
    return size > static_cast<uint32_t>(INT32_MAX) ? INT32_MAX : static_cast<int32_t>(size);
}

uint8_t* FCRawText::AllocateDataArea() {
    FreeArea();
    const int32_t size = QuerySize();
    const std::size_t count = static_cast<std::size_t>(size);
    data_ = new uint8_t[count]();
    areaSize_ = size;
    return data_;
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
    const int32_t size = QuerySize();
    // Once an area is provided, the host may not be offered more than it holds, even when the record grew
    // between the two questions.
    if (data_ != nullptr && size > areaSize_) return areaSize_;
    return size;
}

void FCRawText::CopyDataFrom(const __FCBaseData* other) {
    if (other == nullptr || other == this || other->Data() == nullptr) return;
    int32_t count = other->LoadedSize();
    if (const FCRawText* raw = dynamic_cast<const FCRawText*>(other)) {
        if (count > raw->areaSize_) count = raw->areaSize_;
    }
    if (count <= 0) return;
    uint8_t* copy = new uint8_t[static_cast<std::size_t>(count)];
    std::memcpy(copy, other->Data(), static_cast<std::size_t>(count));
    FreeArea();
    data_ = copy;
    areaSize_ = count;
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
    std::size_t size = 0;
    uint8_t* area = nullptr;
    if (IsWideText()) {
        if (length >= static_cast<uint32_t>(INT32_MAX / 2)) throw std::bad_alloc();
        size = (static_cast<std::size_t>(length) + 1) * 2;
        area = new uint8_t[size]();
        if (length > 0) utf16le::Encode(text->WideBuffer(), length, area);
    } else {
        // The 8-bit copy of the text (the low byte of each unit) up to its first zero byte.
        uint32_t count = 0;
        while (count < length && (text->CharAt(static_cast<int32_t>(count)) & 0xFF) != 0) ++count;
        if (count >= static_cast<uint32_t>(INT32_MAX)) throw std::bad_alloc();
        size = static_cast<std::size_t>(count) + 1;
        area = new uint8_t[size]();
        for (uint32_t i = 0; i < count; ++i) {
            area[i] = static_cast<uint8_t>(text->CharAt(static_cast<int32_t>(i)) & 0xFF);
        }
    }
    FreeArea();
    data_ = area;
    areaSize_ = static_cast<int32_t>(size);
    loadedSize_ = areaSize_;
}

FCString* FCRawText::CreateString() const {
    // Held until it is handed over: running out of memory on the way must not leak it.
    std::unique_ptr<FCString> text(new FCString());
    if (data_ == nullptr || loadedSize_ <= 0) return text.release();
    const uint32_t available = static_cast<uint32_t>(loadedSize_ < areaSize_ ? loadedSize_ : areaSize_);
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
