#ifndef MIREL_STANDIN_DOCUMENT_H
#define MIREL_STANDIN_DOCUMENT_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <map>
#include <optional>
#include <vector>

namespace standin {

// The 8-byte record key as the host stores it: four little-endian signed 16-bit fields.
struct RecordKey {
    std::array<int16_t, 4> fields{};

    // Inline: every record call reads its key. The fields are spelled out, not looped over, so that the
    // compiler reads each as one 16-bit load.
    static RecordKey FromBytes(const void* key8) {
        const auto* p = static_cast<const uint8_t*>(key8);
        const auto field = [p](int i) {
            return static_cast<int16_t>(static_cast<uint16_t>(p[2 * i] | (p[2 * i + 1] << 8)));
        };
        return RecordKey{{field(0), field(1), field(2), field(3)}};
    }
    void ToBytes(void* key8) const;
    static RecordKey Other(int16_t itemNo, int16_t inci = 0) { return {{itemNo, inci, 0, 0}}; }
    static RecordKey Detail(int16_t itemNo, int16_t itemNo2, int16_t inci = 0) {
        return {{itemNo, itemNo2, inci, 0}};
    }

    // Fields compared one by one as signed numbers, the first field first (spelled out: the map of records
    // compares keys at every step of every look-up).
    friend bool operator<(const RecordKey& a, const RecordKey& b) {
        const auto& x = a.fields;
        const auto& y = b.fields;
        if (x[0] != y[0]) return x[0] < y[0];
        if (x[1] != y[1]) return x[1] < y[1];
        if (x[2] != y[2]) return x[2] < y[2];
        return x[3] < y[3];
    }
    // The eight bytes compared at once: the map of records compares keys at every step of every look-up.
    friend bool operator==(const RecordKey& a, const RecordKey& b) {
        uint64_t left = 0;
        uint64_t right = 0;
        std::memcpy(&left, a.fields.data(), sizeof left);
        std::memcpy(&right, b.fields.data(), sizeof right);
        return left == right;
    }
};

using Bytes = std::vector<uint8_t>;

// The document as the application keeps it: byte records addressed by (tag, key), ordered by key within a tag
// so that "next" finds the following record. Every operation is O(log n); a walk (next, then a look-up of the
// key it found, then next again) takes constant time per step, because the document remembers the record the
// last look-up or step ended on.
class Document {
  public:
    Document() = default;
    Document(const Document& other) : records_(other.records_) {}
    Document(Document&& other) noexcept : records_(std::move(other.records_)) { other.Forget(); }
    Document& operator=(const Document& other);
    Document& operator=(Document&& other) noexcept;

    // Reading and writing records directly (the builder, score files and tests use these).
    // Inline for the look-ups the module makes most, in key order from the last one (see FindNearCursor).
    const Bytes* Find(uint32_t tag, const RecordKey& key) const {
        if (lastTagRecords_ != nullptr && lastTag_ == tag && cursorRecords_ == lastTagRecords_) {
            const Bytes* found = nullptr;
            if (FindNearCursor(key, found)) return found;
        }
        return FindBySearch(tag, key);
    }
    Bytes* FindMutable(uint32_t tag, const RecordKey& key);
    void Put(uint32_t tag, const RecordKey& key, Bytes data);
    bool Erase(uint32_t tag, const RecordKey& key);
    // Erases a record whose key field `inciField` is an incident (an index among the records of its item) and
    // moves the item's later incidents down by one, so that the item's incidents stay without a gap, as the
    // application keeps them.
    bool EraseIncident(uint32_t tag, const RecordKey& key, std::size_t inciField);
    // The first key strictly after `key` within the tag, in key order (fields compared as signed numbers,
    // first field first). Strictly after, always: a walk that starts from the zero key therefore never
    // returns to where it started, even when a record sits at the zero key itself (such a record is not
    // reached by a walk; the document's items count from 1).
    std::optional<RecordKey> NextKey(uint32_t tag, const RecordKey& key) const;
    // Every record of a tag in key order.
    std::vector<std::pair<RecordKey, Bytes>> All(uint32_t tag) const;
    // The same without copying them: valid until the document changes.
    const std::map<RecordKey, Bytes>& RecordsWithTag(uint32_t tag) const;
    // The key a create gets: (-1, -1) or item 0xFFFF with inci 0 asks for a new item (one above the highest
    // item number of the tag, at least 1); (itemNo, -1) for a new incident after the last of that item. With
    // `detail`, (itemNo, -1) asks for a new itemNo2 and (itemNo, itemNo2, -1) for a new incident. A key that
    // asks for nothing is returned as it is; so is one whose numbers are used up (it still holds a -1 then).
    RecordKey NewKeyFor(uint32_t tag, const RecordKey& requested, bool detail = false) const;
    // A create: the record goes to NewKeyFor's key. Nothing happens, and the answer is empty, when that key
    // still asks for a number (-1 in a field) or holds a record already.
    std::optional<RecordKey> Create(uint32_t tag, const RecordKey& requested, bool detail, Bytes data);
    std::size_t RecordCount() const;
    std::size_t Count(uint32_t tag) const;
    std::vector<uint32_t> Tags() const;

    friend bool operator==(const Document& a, const Document& b) { return a.records_ == b.records_; }

  private:
    using Records = std::map<RecordKey, Bytes>;

    // NewKeyFor, and where the new key goes in its tag's records (end() of `hint` when not known).
    RecordKey NewKey(uint32_t tag, const RecordKey& requested, bool detail,
                     Records::const_iterator* hint) const;
    void Forget() const {
        cursorRecords_ = nullptr;
        lastTagRecords_ = nullptr;
    }
    void Remember(const Records* records, Records::const_iterator at) const {
        cursorRecords_ = records;
        cursor_ = at;
    }
    bool AtCursor(const Records* records, const RecordKey& key) const {
        return cursorRecords_ == records && records != nullptr && cursor_->first == key;
    }
    const Records* RecordsOf(uint32_t tag) const;
    // Records are mostly read in key order (the incidents of a measure one after the other, then the one past
    // the last to find the end): the record at the cursor and the one after it answer without a search, and
    // a key between the two is known to be absent. False when the key is not near the cursor.
    bool FindNearCursor(const RecordKey& key, const Bytes*& found) const {
        if (cursor_->first == key) {
            found = &cursor_->second;
            return true;
        }
        if (key < cursor_->first) return false;
        auto next = std::next(cursor_);
        if (next == cursorRecords_->end() || key < next->first) {
            found = nullptr;
            return true;
        }
        if (!(next->first == key)) return false;
        cursor_ = next;
        found = &next->second;
        return true;
    }
    const Bytes* FindBySearch(uint32_t tag, const RecordKey& key) const;

    std::map<uint32_t, Records> records_;
    // The record the last look-up, step or create ended on (none when cursorRecords_ is null). Inserting
    // keeps map iterators valid; erasing and copying forget it.
    mutable const Records* cursorRecords_ = nullptr;
    mutable Records::const_iterator cursor_;
    // The records of the tag looked up last (none when null): the module asks for one tag many times in a
    // row. Inserting keeps them where they are; erasing a tag and copying forget them.
    mutable uint32_t lastTag_ = 0;
    mutable const Records* lastTagRecords_ = nullptr;
};

}  // namespace standin

#endif
