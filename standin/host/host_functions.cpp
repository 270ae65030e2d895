// The stand-in application's answers to the module's document, window, staff and font calls.
//
// Record data calls work on Host().Doc(), a store of byte records addressed by tag and 8-byte key:
//   load    A null key or size pointer is refused. A record that is not there: 0. A null buffer reports the
//           record's size in *size and copies nothing (1). A record larger than the capacity in *size is
//           refused and nothing is copied; *size stays as it was. Otherwise the record is copied and *size
//           becomes its size.
//   save    Replaces the record at the key by exactly the `size` bytes given (the record then has that size).
//           A save at a key that holds no record creates the record there: afterwards the document holds it.
//   create  The key asks for a number (see Document::NewKeyFor): (-1, -1) or (0xFFFF, 0) a new item,
//           (item, -1) a new incident of the item; a key that asks for nothing creates at that key when it is
//           free. The new key is written back. A key whose numbers are used up, or a key already taken: 0.
//   delete  Removes the record at the key; 0 when there is none. Incidents are indices: deleting an
//           expression or a style assignment moves the later incidents of its measure or staff down by one,
//           so that they stay numbered from 0 without a gap (walking them by index finds every one).
//   next    Moves the key to the first record of the tag strictly after it in key order; 0 when there is
//           none (the key is then left alone). A zero key thus finds the first record of the tag with a key
//           above zero. Items count from 1; a record at the zero key itself is never reached by a walk,
//           because a walk that started from the zero key would find it again at every step and not end.
// Every call is counted in Host().Counts() and, with the call log on, logged with its arguments. A call
// that Host()'s fault plan makes fail answers 0 before it looks at anything.
#include "standin/host/host_functions.h"

#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "standin/host/call_record.h"
#include "standin/host/host.h"
#include "standin/store/layouts.h"

using standin::Bytes;
using standin::CallRecord;
using standin::Host;
using standin::RecordKey;
using standin::StandinHost;

namespace {

// The key fields as logged: the four fields, or zeros for a null key pointer.
std::vector<int64_t> KeyArgs(uint32_t tag, const void* key8) {
    std::vector<int64_t> args{tag};
    RecordKey key;
    if (key8 != nullptr) key = RecordKey::FromBytes(key8);
    for (int16_t f : key.fields) args.push_back(f);
    return args;
}

std::vector<int64_t> Append(std::vector<int64_t> args, std::initializer_list<int64_t> more) {
    args.insert(args.end(), more);
    return args;
}

// A save's or create's arguments as logged: the key fields, then the buffer, the size and the version.
std::vector<int64_t> WriteArgs(uint32_t tag, const void* key8, const void* buffer, uint32_t size,
                               uint32_t version) {
    return Append(KeyArgs(tag, key8), {standin::PointerFlag(buffer), size, version});
}

// The checks a save and a create share: the fault plan first, then the pointers. When they pass, the write is
// counted and the `size` bytes at `buffer` are what the call writes; nullopt when the call is refused.
std::optional<Bytes> AcceptWrite(const char* function, uint32_t tag, const void* key8, const void* buffer,
                                 uint32_t size) {
    StandinHost& host = Host();
    if (host.RefusesDataCall(function, tag)) return std::nullopt;
    if (key8 == nullptr || (buffer == nullptr && size != 0)) return std::nullopt;
    host.RecordWrite();
    const auto* p = static_cast<const uint8_t*>(buffer);
    return size != 0 ? Bytes(p, p + size) : Bytes();
}

}  // namespace

extern "C" {

int32_t FX_CALL FX_LoadEData(uint32_t tag, void* key8, void* buffer, uint32_t* size, uint32_t version) {
    CallRecord call("FX_LoadEData", [&] {
        return Append(KeyArgs(tag, key8),
                      {standin::PointerFlag(buffer), size != nullptr ? int64_t{*size} : -1, version});
    });
    StandinHost& host = Host();
    if (host.RefusesDataCall("FX_LoadEData", tag)) return call.Return16(0);
    if (key8 == nullptr || size == nullptr) return call.Return16(0);
    const RecordKey key = RecordKey::FromBytes(key8);
    host.RecordLoad(tag, key.fields, buffer == nullptr);
    const Bytes* record = host.Doc().Find(tag, key);
    if (record == nullptr) return call.Return16(0);
    if (buffer == nullptr) {
        *size = static_cast<uint32_t>(record->size());
        return call.Return16(1);
    }
    if (record->size() > *size) return call.Return16(0);
    if (!record->empty()) std::memcpy(buffer, record->data(), record->size());
    *size = static_cast<uint32_t>(record->size());
    return call.Return16(1);
}

int32_t FX_CALL FX_SaveEData(uint32_t tag, void* key8, const void* buffer, uint32_t size, uint32_t version) {
    CallRecord call("FX_SaveEData", [&] { return WriteArgs(tag, key8, buffer, size, version); });
    std::optional<Bytes> data = AcceptWrite("FX_SaveEData", tag, key8, buffer, size);
    if (!data) return call.Return16(0);
    Host().Doc().Put(tag, RecordKey::FromBytes(key8), std::move(*data));
    return call.Return16(1);
}

int32_t FX_CALL FX_CreateEData(uint32_t tag, void* key8, const void* buffer, uint32_t size,
                               uint32_t version) {
    CallRecord call("FX_CreateEData", [&] { return WriteArgs(tag, key8, buffer, size, version); });
    std::optional<Bytes> data = AcceptWrite("FX_CreateEData", tag, key8, buffer, size);
    if (!data) return call.Return16(0);
    auto key = Host().Doc().Create(tag, RecordKey::FromBytes(key8), standin::layout::IsDetailTag(tag),
                                   std::move(*data));
    if (!key) return call.Return16(0);
    key->ToBytes(key8);
    return call.Return16(1);
}

int32_t FX_CALL FX_DeleteEData(uint32_t tag, void* key8, uint32_t version) {
    CallRecord call("FX_DeleteEData", [&] { return Append(KeyArgs(tag, key8), {version}); });
    StandinHost& host = Host();
    if (host.RefusesDataCall("FX_DeleteEData", tag)) return call.Return16(0);
    if (key8 == nullptr) return call.Return16(0);
    host.RecordWrite();
    const RecordKey key = RecordKey::FromBytes(key8);
    standin::Document& doc = host.Doc();
    const bool deleted =
        standin::layout::HasIncidents(tag) ? doc.EraseIncident(tag, key, 1) : doc.Erase(tag, key);
    return call.Return16(deleted ? 1 : 0);
}

int32_t FX_CALL FX_NextEData(uint32_t tag, void* key8, void* reserved1, void* reserved2, uint32_t version) {
    CallRecord call("FX_NextEData", [&] {
        return Append(KeyArgs(tag, key8),
                      {standin::PointerFlag(reserved1), standin::PointerFlag(reserved2), version});
    });
    StandinHost& host = Host();
    if (host.RefusesDataCall("FX_NextEData", tag)) return call.Return16(0);
    if (key8 == nullptr) return call.Return16(0);
    auto next = host.Doc().NextKey(tag, RecordKey::FromBytes(key8));
    if (!next) return call.Return16(0);
    next->ToBytes(key8);
    return call.Return16(1);
}

HWND FX_CALL FX_GetCurrentWindow(uint32_t version) {
    CallRecord call("FX_GetCurrentWindow", [&] { return std::vector<int64_t>({version}); });
    HWND window = MirelWindowFromValue(Host().MainWindow());
    call.Return(Host().MainWindow());
    return window;
}

int32_t FX_CALL FX_GetCurrentWindowInfo(void* info524, uint32_t version) {
    CallRecord call("FX_GetCurrentWindowInfo", [&] {
        return std::vector<int64_t>({standin::PointerFlag(info524), version});
    });
    if (info524 == nullptr || !Host().WindowInfoAvailable()) return call.Return16(0);
    auto* p = static_cast<uint8_t*>(info524) + MIREL_WINDOW_INFO_HANDLE_OFFSET;
    const uint32_t window = Host().MainWindow();
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>((window >> (8 * i)) & 0xFF);
    return call.Return16(1);
}

int32_t FX_CALL FX_GetCurrentEnigmaDocument(uint32_t version) {
    CallRecord call("FX_GetCurrentEnigmaDocument", [&] { return std::vector<int64_t>({version}); });
    return call.Return16(int32_t{Host().DocumentID()});
}

// Slots and staff numbers are 16-bit values; the application reads the low half of each argument.
int32_t FX_CALL FX_SlotToInst(int32_t slot, int32_t staffListID, uint32_t version) {
    CallRecord call("FX_SlotToInst", [&] { return std::vector<int64_t>({slot, staffListID, version}); });
    return call.Return16(int32_t{Host().SlotToInst(static_cast<int16_t>(slot))});
}

int32_t FX_CALL FX_InstToSlot(int32_t staff, int32_t zero, uint32_t version) {
    CallRecord call("FX_InstToSlot", [&] { return std::vector<int64_t>({staff, zero, version}); });
    return call.Return16(int32_t{Host().InstToSlot(static_cast<int16_t>(staff))});
}

int32_t FX_CALL FX_FontNumToName(uint32_t fontNumber, char* buffer256, uint32_t version) {
    CallRecord call("FX_FontNumToName", [&] {
        return std::vector<int64_t>({fontNumber, standin::PointerFlag(buffer256), version});
    });
    if (buffer256 == nullptr) return call.Return16(0);
    const std::string* name = Host().FontName(fontNumber);
    if (name == nullptr) return call.Return16(0);
    const std::size_t length = std::min<std::size_t>(name->size(), 255);
    std::memcpy(buffer256, name->data(), length);
    buffer256[length] = 0;
    return call.Return16(1);
}

}  // extern "C"
