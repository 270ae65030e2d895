#ifndef MIREL_FRAMEWORK_BASE_DATA_H
#define MIREL_FRAMEWORK_BASE_DATA_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

#include "framework/fc_base.h"
#include "support/bytes.h"

// Base of every class backed by a host record: the bytes in hand, the 8-byte record key and the loaded state,
// and the whole life cycle of a host record (load, reload, save, save as new, delete, walk) on top of the
// host's data calls. Record classes reach the host through these operations only.
//
// The storage of a record's bytes belongs to a storage base between this class and the record class: the
// fixed-size one (records/fixed_size_record.h) embeds one area, the variable-size one
// (records/variable_size_record.h) keeps a small buffer. This class keeps the bytes in hand, which area holds
// the record and how many of its bytes were loaded or set, and nothing but the load path and HoldBytes (the
// storage bases' one door) writes them. The loaded size never exceeds the area.
//
// The record key is eight bytes of little-endian signed 16-bit fields: (itemNo, inci, 0, 0) for "other"
// records and (itemNo, itemNo2, inci, 0) for detail records. The object counts as loaded while loadedSize is
// not 0.
//
// Field access goes through ReadU16/WriteU16 and friends, which never reach past the loaded size: a record
// shorter than a field reads that field as zero.
class __FCBaseData : public __FCBase {
  public:
    __FCBaseData() = default;
    __FCBaseData(const __FCBaseData&) = delete;
    __FCBaseData& operator=(const __FCBaseData&) = delete;
    ~__FCBaseData() override;

    const char* ClassName() const override;

    // ---- Virtual operations, in slot order ----
    // The data area to load into: a fixed-size class returns its embedded area; a variable-size class
    // provides an area of DataSize() bytes and returns it (null when there is nothing to load).
    virtual uint8_t* AllocateDataArea() = 0;
    // Gives up a variable-size class's data area, which leaves nothing in hand; the default does nothing.
    virtual void ReleaseDataArea();
    // True for classes whose data area is released and provided anew before every load.
    virtual bool IsVariableSize() const;
    // A new, empty object of the same class, or null for classes never made this way.
    virtual std::unique_ptr<__FCBaseData> CreateInstance() const = 0;
    virtual uint32_t Tag() const = 0;
    virtual uint32_t RecordVersion() const;
    // The capacity to load with, for the host version in force (variable-size classes ask the host).
    virtual int32_t DataSize() = 0;
    // The size Save and SaveNew write.
    virtual int32_t LoadedSize() const;
    // Copies the other object's data into this object's own area so that the copy counts as loaded.
    virtual void CopyDataFrom(const __FCBaseData* other) = 0;
    virtual bool Save();
    virtual bool Reload();
    virtual bool DeleteRecord();
    virtual bool DeleteData();
    virtual bool LoadFirst() = 0;
    virtual bool LoadNext();

    // The one load path, every load of the framework ends in it: the area is provided, the capacity asked
    // for, and the record loaded into the area at the current key.
    bool LoadAtKey();

    uint32_t CustomTag() const { return customTag_; }
    void SetCustomTag(uint32_t tag) { customTag_ = tag; }

    // The area holding the record's bytes; null when there is none.
    const uint8_t* Data() const { return data_; }
    bool IsLoaded() const { return loadedSize_ != 0; }

    // The record key.
    uint8_t* KeyBytes() { return key_; }
    const uint8_t* KeyBytes() const { return key_; }
    // Signed 16-bit field `index` (0 to 3) of the key; another index reads as 0 and is not written.
    int16_t KeyField(int index) const { return bytes::ReadI16(key_, sizeof key_, KeyOffset(index)); }
    void SetKeyField(int index, int16_t value) {
        bytes::WriteI16(key_, sizeof key_, KeyOffset(index), value);
    }
    void CopyKeyFrom(const __FCBaseData* other);

  protected:
    // Little-endian field access inside the loaded bytes; out-of-range reads give 0, writes are dropped.
    uint16_t ReadU16(int32_t offset) const {
        return offset < 0 ? 0 : bytes::ReadU16(data_, Bound(), Offset(offset));
    }
    int16_t ReadI16(int32_t offset) const { return static_cast<int16_t>(ReadU16(offset)); }
    uint32_t ReadU32(int32_t offset) const {
        return offset < 0 ? 0 : bytes::ReadU32(data_, Bound(), Offset(offset));
    }
    int32_t ReadI32(int32_t offset) const { return static_cast<int32_t>(ReadU32(offset)); }
    void WriteU16(int32_t offset, uint16_t value) {
        if (offset >= 0) bytes::WriteU16(data_, Bound(), Offset(offset), value);
    }
    void WriteI16(int32_t offset, int16_t value) { WriteU16(offset, static_cast<uint16_t>(value)); }
    void WriteU32(int32_t offset, uint32_t value) {
        if (offset >= 0) bytes::WriteU32(data_, Bound(), Offset(offset), value);
    }
    void WriteI32(int32_t offset, int32_t value) { WriteU32(offset, static_cast<uint32_t>(value)); }

    // The number of bytes in hand (loaded or set); 0 when not loaded.
    int32_t HeldSize() const { return loadedSize_; }
    // The whole key at once.
    void SetKeyFields(int16_t field0, int16_t field1, int16_t field2, int16_t field3) {
        bytes::WriteI16(key_, sizeof key_, 0, field0);
        bytes::WriteI16(key_, sizeof key_, 2, field1);
        bytes::WriteI16(key_, sizeof key_, 4, field2);
        bytes::WriteI16(key_, sizeof key_, 6, field3);
    }

    // The storage bases' one door to the bytes in hand: `area` now holds the record, `size` bytes of it
    // loaded or set (no size: not loaded; no area comes only with no size). A storage base makes it private
    // to its record classes.
    void HoldBytes(uint8_t* area, int32_t size) {
        data_ = area;
        loadedSize_ = size > 0 ? size : 0;
    }

    // True when there are bytes that Save or a create could write: loaded, with a data area and a size.
    bool HasBytesToWrite() const;
    // Asks the host for the size of the record at the current key (FX_LoadEData without a buffer): at most
    // INT32_MAX, none when the host has no such record. Variable-size classes size their data area with it.
    std::optional<int32_t> QueryRecordSize();
    // FX_CreateEData at the current key with the data area and LoadedSize(); the host writes the new key back.
    bool CreateAtKey();

  private:
    // The byte offset of key field `index`; a negative index wraps to an offset far past the key, which the
    // byte helpers neither read nor write.
    static std::size_t KeyOffset(int index) { return static_cast<std::size_t>(index) * 2; }

    // The load path's steps (base_data.cpp, which alone uses them).
    inline uint8_t* ProvideDataArea();
    inline bool LoadInto(uint8_t* area, int32_t capacity);

    std::size_t Bound() const { return static_cast<std::size_t>(loadedSize_); }
    static std::size_t Offset(int32_t offset) { return static_cast<std::size_t>(offset); }

    uint32_t customTag_ = 0;
    // The bytes in hand.
    uint8_t* data_ = nullptr;
    int32_t loadedSize_ = 0;
    uint8_t key_[8] = {};
};

// Other records: key (itemNo, inci). Carries no code of its own.
class __FCOther : public __FCBaseData {};

// Other records without incidents: every operation here sets inci to 0 (only SaveNew sends -1).
class __FCNoInciOther : public __FCOther {
  public:
    bool LoadFirst() override;  // Load(1)
    bool Reload() override;     // false when not loaded, else Load(ItemNo())

    virtual bool Load(int16_t itemNo);
    virtual bool SaveAs(int16_t itemNo);
    virtual bool DeepSaveAs(int16_t itemNo);
    // Creates the record as a new item: key (-1, -1); afterwards the key holds what the host assigned.
    virtual bool SaveNew();
    virtual int16_t ItemNo() const;
};

// Other records with incidents: key (itemNo, inci).
class __FCInciOther : public __FCOther {
  public:
    bool LoadFirst() override;  // false: reached through Load(itemNo, inci) or a collection
    bool Reload() override;

    virtual bool Load(int16_t itemNo, int16_t inci);
    // Appends a new incident to `itemNo`: key (itemNo, -1); afterwards the key holds the new incident.
    virtual bool SaveNew(int16_t itemNo);

    int16_t ItemNo() const { return KeyField(0); }
    int16_t Inci() const { return KeyField(1); }
};

// Detail records: key (itemNo, itemNo2, inci).
class __FCDetail : public __FCBaseData {
  public:
    int16_t ItemNo() const { return KeyField(0); }
    int16_t ItemNo2() const { return KeyField(1); }
    int16_t Inci() const { return KeyField(2); }
    void SetKey(int16_t itemNo, int16_t itemNo2, int16_t inci = 0) { SetKeyFields(itemNo, itemNo2, inci, 0); }
};

// Detail records without incidents (inci stays 0).
class __FCNoInciDetail : public __FCDetail {};

#endif
