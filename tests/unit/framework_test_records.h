// Small record classes and collections for the framework's own tests, under made-up tags that no score record
// uses, and a fixture that gives every test a fresh stand-in host and a fresh binding.
#ifndef MIREL_TESTS_UNIT_FRAMEWORK_TEST_RECORDS_H
#define MIREL_TESTS_UNIT_FRAMEWORK_TEST_RECORDS_H

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "framework/base_data.h"
#include "framework/collection.h"
#include "records/variable_size_record.h"
#include "standin/host/host.h"
#include "tests/support/host_fixture.h"

namespace testrecords {

constexpr uint32_t kFixedTag = 0x54467831;     // TFx1
constexpr uint32_t kVariableTag = 0x54567231;  // TVr1
constexpr uint32_t kIncidentTag = 0x54496E31;  // TIn1
constexpr uint32_t kDetailTag = 0x54447431;    // TDt1
constexpr uint32_t kOtherTag = 0x544F7431;     // TOt1, for custom tags

// A version that differs from the interface version, to see that the record's own reaches the host.
constexpr uint32_t kFixedVersion = 0x0A000000;
constexpr int32_t kFixedSize = 8;
constexpr int32_t kSmallSize = 4;

inline standin::Bytes Le32(int32_t a, int32_t b) {
    standin::Bytes out(8);
    for (int i = 0; i < 4; ++i) {
        out[i] = static_cast<uint8_t>((static_cast<uint32_t>(a) >> (8 * i)) & 0xFF);
        out[4 + i] = static_cast<uint8_t>((static_cast<uint32_t>(b) >> (8 * i)) & 0xFF);
    }
    return out;
}

inline standin::Bytes Le32(int32_t a) {
    standin::Bytes out = Le32(a, 0);
    out.resize(4);
    return out;
}

// Fixed size, eight bytes embedded, not loaded when made. Its tag is the custom tag when one is set.
class FixedRecord : public __FCNoInciOther {
  public:
    uint8_t* AllocateDataArea() override {
        ++provisions;
        return buffer_;
    }
    std::unique_ptr<__FCBaseData> CreateInstance() const override { return std::make_unique<FixedRecord>(); }
    uint32_t Tag() const override { return CustomTag() != 0 ? CustomTag() : kFixedTag; }
    uint32_t RecordVersion() const override { return kFixedVersion; }
    int32_t DataSize() override { return kFixedSize; }
    void CopyDataFrom(const __FCBaseData* other) override {
        std::memcpy(buffer_, other->Data(), kFixedSize);
        HoldBytes(buffer_, kFixedSize);
    }

    int32_t First() const { return ReadI32(0); }
    int32_t Second() const { return ReadI32(4); }
    void SetFirst(int32_t value) { WriteI32(0, value); }

    int provisions = 0;

  private:
    uint8_t buffer_[kFixedSize] = {};
};

// Variable size, on the variable-size base: an area of the record's size, provided anew before every load.
class VariableRecord : public records::VariableSizeRecord<VariableRecord, __FCNoInciOther> {
  public:
    static int32_t MinimumSize() { return 0; }
    uint8_t* AllocateDataArea() override {
        uint8_t* area = VariableSizeRecord::AllocateDataArea();
        if (area != nullptr) allocations.push_back(AreaSize());
        return area;
    }
    void ReleaseDataArea() override {
        VariableSizeRecord::ReleaseDataArea();
        ++releases;
    }
    std::unique_ptr<__FCBaseData> CreateInstance() const override {
        return std::make_unique<VariableRecord>();
    }
    uint32_t Tag() const override { return kVariableTag; }
    void CopyDataFrom(const __FCBaseData* other) override {
        CopyBytesFrom(other->Data(), other->LoadedSize());
    }

    std::vector<int32_t> allocations;
    int releases = 0;
};

// With incidents, four bytes.
class IncidentRecord : public __FCInciOther {
  public:
    uint8_t* AllocateDataArea() override { return buffer_; }
    std::unique_ptr<__FCBaseData> CreateInstance() const override {
        return std::make_unique<IncidentRecord>();
    }
    uint32_t Tag() const override { return CustomTag() != 0 ? CustomTag() : kIncidentTag; }
    int32_t DataSize() override { return kSmallSize; }
    void CopyDataFrom(const __FCBaseData* other) override {
        std::memcpy(buffer_, other->Data(), kSmallSize);
        HoldBytes(buffer_, kSmallSize);
    }
    int32_t Value() const { return ReadI32(0); }

  private:
    uint8_t buffer_[kSmallSize] = {};
};

// Detail record, four bytes; the walk starts from the zero key.
class DetailRecord : public __FCNoInciDetail {
  public:
    uint8_t* AllocateDataArea() override { return buffer_; }
    std::unique_ptr<__FCBaseData> CreateInstance() const override { return std::make_unique<DetailRecord>(); }
    uint32_t Tag() const override { return kDetailTag; }
    int32_t DataSize() override { return kSmallSize; }
    void CopyDataFrom(const __FCBaseData* other) override {
        std::memcpy(buffer_, other->Data(), kSmallSize);
        HoldBytes(buffer_, kSmallSize);
    }
    bool LoadFirst() override {
        SetKey(0, 0, 0);
        return LoadNext();
    }
    int32_t Value() const { return ReadI32(0); }

  private:
    uint8_t buffer_[kSmallSize] = {};
};

class FixedRecords : public __FCCollectionNoInciOther {
  public:
    std::unique_ptr<__FCBaseData> CreateElement() override { return std::make_unique<FixedRecord>(); }
};

class IncidentRecords : public __FCCollectionInciOther {
  public:
    std::unique_ptr<__FCBaseData> CreateElement() override { return std::make_unique<IncidentRecord>(); }
};

class DetailRecords : public __FCCollectionNoInciDetail {
  public:
    std::unique_ptr<__FCBaseData> CreateElement() override { return std::make_unique<DetailRecord>(); }
};

// A fresh host (FINALE.EXE with every function, empty document, log on) and a binding that has looked up
// nothing yet.
class HostTest : public testsupport::HostFixture {
  protected:
    void SetUp() override {
        HostFixture::SetUp();
        standin::Host().LogCalls(true);
    }

    static standin::StandinHost& Host() { return standin::Host(); }
    static standin::Document& Doc() { return standin::Host().Doc(); }
    static int Calls(const char* function) { return standin::Host().CountCalls(function); }

    // The four key fields a logged data call carried.
    static std::vector<int64_t> KeyOf(const standin::HostCall& call) {
        return std::vector<int64_t>(call.args.begin() + 1, call.args.begin() + 5);
    }
};

}  // namespace testrecords

#endif
