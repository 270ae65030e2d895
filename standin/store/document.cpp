#include "standin/store/document.h"

#include <algorithm>
#include <iterator>
#include <limits>
#include <utility>

namespace standin {

namespace {

constexpr int16_t kNewRequest = -1;  // -1 (0xFFFF) in a key field asks the create call for a fresh number
constexpr int16_t kHighest = std::numeric_limits<int16_t>::max();
constexpr int16_t kLowest = std::numeric_limits<int16_t>::min();

}  // namespace

void RecordKey::ToBytes(void* key8) const {
    auto* p = static_cast<uint8_t*>(key8);
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const auto value = static_cast<uint16_t>(fields[i]);
        p[2 * i] = static_cast<uint8_t>(value & 0xFF);
        p[2 * i + 1] = static_cast<uint8_t>(value >> 8);
    }
}

Document& Document::operator=(const Document& other) {
    if (this != &other) {
        records_ = other.records_;
        Forget();
    }
    return *this;
}

Document& Document::operator=(Document&& other) noexcept {
    if (this != &other) {
        records_ = std::move(other.records_);
        Forget();
        other.Forget();
    }
    return *this;
}

const Document::Records* Document::RecordsOf(uint32_t tag) const {
    if (lastTagRecords_ != nullptr && lastTag_ == tag) return lastTagRecords_;
    auto t = records_.find(tag);
    if (t == records_.end()) return nullptr;
    lastTag_ = tag;
    lastTagRecords_ = &t->second;
    return lastTagRecords_;
}

const Bytes* Document::FindBySearch(uint32_t tag, const RecordKey& key) const {
    const Records* records = RecordsOf(tag);
    if (records == nullptr) return nullptr;
    if (cursorRecords_ == records) {
        const Bytes* found = nullptr;
        if (FindNearCursor(key, found)) return found;
    }
    auto r = records->lower_bound(key);
    if (r != records->end() && r->first == key) {
        Remember(records, r);
        return &r->second;
    }
    // Not there: the record before the key's place becomes the cursor, so that the keys up to the next record
    // are found missing without a search.
    if (r != records->begin()) Remember(records, std::prev(r));
    return nullptr;
}

Bytes* Document::FindMutable(uint32_t tag, const RecordKey& key) {
    return const_cast<Bytes*>(static_cast<const Document*>(this)->Find(tag, key));
}

void Document::Put(uint32_t tag, const RecordKey& key, Bytes data) {
    records_[tag][key] = std::move(data);
}

bool Document::Erase(uint32_t tag, const RecordKey& key) {
    Forget();
    auto t = records_.find(tag);
    if (t == records_.end() || t->second.erase(key) == 0) return false;
    if (t->second.empty()) records_.erase(t);
    return true;
}

bool Document::EraseIncident(uint32_t tag, const RecordKey& erasedKey, std::size_t inciField) {
    const RecordKey key = erasedKey;  // the caller's key may live in the record that goes
    Forget();
    auto t = records_.find(tag);
    if (t == records_.end()) return false;
    Records& records = t->second;
    auto at = records.find(key);
    if (at == records.end()) return false;
    auto later = records.erase(at);
    auto sameItem = [&](const RecordKey& other) {
        for (std::size_t i = 0; i < inciField; ++i) {
            if (other.fields[i] != key.fields[i]) return false;
        }
        return true;
    };
    // Each later incident takes the number just below it, which is free by then; the order stays the same.
    while (later != records.end() && sameItem(later->first)) {
        auto next = std::next(later);
        auto node = records.extract(later);
        --node.key().fields[inciField];
        records.insert(next, std::move(node));
        later = next;
    }
    if (records.empty()) records_.erase(t);
    return true;
}

std::optional<RecordKey> Document::NextKey(uint32_t tag, const RecordKey& key) const {
    const Records* records = RecordsOf(tag);
    if (records == nullptr) return std::nullopt;
    auto r = AtCursor(records, key) ? std::next(cursor_) : records->upper_bound(key);
    if (r == records->end()) return std::nullopt;
    Remember(records, r);
    return r->first;
}

std::vector<std::pair<RecordKey, Bytes>> Document::All(uint32_t tag) const {
    std::vector<std::pair<RecordKey, Bytes>> all;
    if (const Records* records = RecordsOf(tag)) all.assign(records->begin(), records->end());
    return all;
}

const std::map<RecordKey, Bytes>& Document::RecordsWithTag(uint32_t tag) const {
    static const Records kNone;
    const Records* records = RecordsOf(tag);
    return records == nullptr ? kNone : *records;
}

std::size_t Document::Count(uint32_t tag) const {
    const Records* records = RecordsOf(tag);
    return records == nullptr ? 0 : records->size();
}

RecordKey Document::NewKeyFor(uint32_t tag, const RecordKey& requested, bool detail) const {
    return NewKey(tag, requested, detail, nullptr);
}

// Key fields: other records (itemNo, inci, 0, 0), detail records (itemNo, itemNo2, inci, 0).
//   (-1, -1) or (-1, 0)         a new item: one above the highest itemNo of the tag, at least 1;
//   detail (itemNo, -1, ...)    a new itemNo2 under itemNo: one above its highest, at least 1;
//   (itemNo, -1) / detail (itemNo, itemNo2, -1)
//                               a new incident after the last one of that item, 0 for the first;
//   anything else               the requested key itself (a create at a given key).
// The fields after the one handed out are 0. When the numbers are used up (the highest is 0x7FFF) the
// requested key comes back unchanged, still asking, and the create call refuses it.
RecordKey Document::NewKey(uint32_t tag, const RecordKey& requested, bool detail,
                           Records::const_iterator* hint) const {
    const auto& f = requested.fields;
    std::size_t field = f.size();  // the field whose number is handed out
    int16_t first = 0;             // the number handed out when nothing of that kind exists yet
    if (f[0] == kNewRequest && (f[1] == kNewRequest || f[1] == 0)) {
        field = 0;
        first = 1;
    } else if (detail && f[1] == kNewRequest) {
        field = 1;
        first = 1;
    } else if (f[detail ? 2 : 1] == kNewRequest) {
        field = detail ? 2 : 1;
    }
    if (field == f.size()) return requested;

    // The highest existing key that shares the fields before `field`; the new key goes right after it.
    RecordKey low = requested;
    RecordKey high = requested;
    for (std::size_t i = field; i < f.size(); ++i) {
        low.fields[i] = kLowest;
        high.fields[i] = kHighest;
    }
    int16_t next = first;
    if (const Records* records = RecordsOf(tag)) {
        auto r = records->upper_bound(high);
        if (hint != nullptr) *hint = r;
        if (r != records->begin()) {
            --r;
            if (!(r->first < low)) {
                const int16_t highest = r->first.fields[field];
                if (highest == kHighest) return requested;
                if (highest >= first) next = static_cast<int16_t>(highest + 1);
            }
        }
    }
    RecordKey key = requested;
    key.fields[field] = next;
    for (std::size_t i = field + 1; i < f.size(); ++i) key.fields[i] = 0;
    return key;
}

std::optional<RecordKey> Document::Create(uint32_t tag, const RecordKey& requested, bool detail, Bytes data) {
    Records& records = records_[tag];
    Records::const_iterator hint = records.end();
    const RecordKey key = NewKey(tag, requested, detail, &hint);
    const bool asksStill = std::find(key.fields.begin(), key.fields.end(), kNewRequest) != key.fields.end();
    if (asksStill || (key == requested && records.count(key) != 0)) {
        if (records.empty()) {
            Forget();
            records_.erase(tag);
        }
        return std::nullopt;
    }
    // The hint is where a handed-out number goes (above every key of its kind, below the next kind); for a
    // key that was given, the search finds the place.
    auto at = key == requested ? records.emplace(key, std::move(data)).first
                               : records.emplace_hint(hint, key, std::move(data));
    Remember(&records, at);
    return key;
}

std::size_t Document::RecordCount() const {
    std::size_t count = 0;
    for (const auto& [tag, records] : records_) count += records.size();
    return count;
}

std::vector<uint32_t> Document::Tags() const {
    std::vector<uint32_t> tags;
    tags.reserve(records_.size());
    for (const auto& entry : records_) tags.push_back(entry.first);
    return tags;
}

}  // namespace standin
