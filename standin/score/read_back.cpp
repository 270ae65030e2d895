// Reading the document back into a score after the module has worked on it: the items keep the order of
// the score the document was built from, so that a round trip gives back the same file.
#include <algorithm>
#include <array>
#include <utility>

#include "standin/host/host.h"
#include "standin/score/document_builder.h"
#include "standin/score/score_fields.h"
#include "standin/score/score_file.h"
#include "standin/store/layouts.h"
#include "standin/store/record_bytes.h"

namespace standin {

namespace {

namespace L = layout;

// ---- Document keys of the items of a score, to keep a reference score's order ----

// The next incident of each item (a staff, a measure) for items not read from a document. The counters are
// indexed by the item's 16 bits, made at the first use: one array costs less than a map look-up per item.
class NextIncidents {
  public:
    int16_t Take(int16_t item) {
        if (next_.empty()) next_.assign(std::size_t{1} << 16, 0);
        return next_[static_cast<uint16_t>(item)]++;
    }

  private:
    std::vector<int16_t> next_;
};

// (staff, inci) of each assignment: as read, or the next incident of its staff in list order.
std::vector<std::pair<int16_t, int16_t>> AssignmentKeys(const Score& score) {
    NextIncidents next;
    std::vector<std::pair<int16_t, int16_t>> keys;
    keys.reserve(score.styleAssignments.size());
    for (const ScoreStyleAssignment& a : score.styleAssignments) {
        keys.emplace_back(a.staff, a.inci >= 0 ? a.inci : next.Take(a.staff));
    }
    return keys;
}

// The place of each found item in the reference: the index of the reference's first item with its key, or
// the reference's size for a key it does not have. The reference's keys are sorted once; found items in key
// order (document order is key order for most lists) are placed in one walk along both, others by a search.
template <typename T, typename Key>
std::vector<std::size_t> ReferencePlaces(const std::vector<std::pair<Key, T>>& found,
                                         const std::vector<Key>& referenceKeys) {
    std::vector<std::pair<Key, std::size_t>> sorted;
    sorted.reserve(referenceKeys.size());
    for (std::size_t i = 0; i < referenceKeys.size(); ++i) sorted.emplace_back(referenceKeys[i], i);
    // Equal keys keep the lowest index first. A reference in key order (the usual case) needs no sort.
    if (!std::is_sorted(sorted.begin(), sorted.end())) std::sort(sorted.begin(), sorted.end());
    const auto keyBefore = [](const auto& entry, const Key& key) { return entry.first < key; };
    const bool foundInOrder = std::is_sorted(found.begin(), found.end(),
                                             [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::size_t> places;
    places.reserve(found.size());
    auto at = sorted.begin();
    for (const auto& item : found) {
        if (foundInOrder) {
            while (at != sorted.end() && at->first < item.first) ++at;
        } else {
            at = std::lower_bound(sorted.begin(), sorted.end(), item.first, keyBefore);
        }
        places.push_back(at != sorted.end() && at->first == item.first ? at->second : referenceKeys.size());
    }
    return places;
}

// Puts `found` (in document order, with their keys) into the reference's order: items whose key the reference
// has come first, in the reference's order; the others follow in document order.
template <typename T, typename Key>
std::vector<T> InReferenceOrder(std::vector<std::pair<Key, T>> found, const std::vector<Key>& referenceKeys) {
    const std::vector<std::size_t> places = ReferencePlaces(found, referenceKeys);
    // A counting sort by place, which keeps document order among items of one place: the items each place
    // receives, then where each place's items start.
    std::vector<std::size_t> start(referenceKeys.size() + 2, 0);
    for (const std::size_t place : places) ++start[place + 1];
    for (std::size_t p = 1; p < start.size(); ++p) start[p] += start[p - 1];
    std::vector<std::size_t> order(found.size());
    for (std::size_t i = 0; i < found.size(); ++i) order[start[places[i]]++] = i;
    std::vector<T> ordered;
    ordered.reserve(found.size());
    for (const std::size_t i : order) ordered.push_back(std::move(found[i].second));
    return ordered;
}

// The ids of the reference's items, as the fields' tables name them.
template <typename T>
std::vector<int16_t> Ids(const std::vector<T>& items) {
    std::vector<int16_t> ids;
    ids.reserve(items.size());
    for (const T& item : items) ids.push_back(fields::IdOf(item));
    return ids;
}

// The items `make` makes of the records with `tag` (each with its key), in the order of the same items of
// `reference`, by id.
template <typename T, typename Make>
std::vector<T> ItemsOfRecords(const Document& doc, uint32_t tag, const std::vector<T>& reference, Make make) {
    std::vector<std::pair<int16_t, T>> found;
    for (const auto& [key, data] : doc.RecordsWithTag(tag)) found.push_back(make(key, data));
    return InReferenceOrder(std::move(found), Ids(reference));
}

std::vector<ScoreStaff> ReadStaves(const std::vector<int16_t>& staffOrder, const Document& doc,
                                   const DocumentBuilder& reader) {
    std::vector<ScoreStaff> staves;
    for (int16_t id : staffOrder) {
        ScoreStaff staff;
        staff.id = id;
        if (const Bytes* record = doc.Find(L::kStaffTag, RecordKey::Other(id))) {
            staff.name = reader.ReadTextBlockText(static_cast<int16_t>(Get16(*record, L::kStaffFullNameID)));
        }
        staves.push_back(staff);
    }
    return staves;
}

std::vector<ScoreStaffStyle> ReadStaffStyles(const Document& doc, const DocumentBuilder& reader,
                                             uint32_t hostVersion,
                                             const std::vector<ScoreStaffStyle>& reference) {
    return ItemsOfRecords(doc, L::kStaffStyleTag, reference, [&](const RecordKey& key, const Bytes& data) {
        ScoreStaffStyle style;
        style.id = key.fields[0];
        style.name = reader.ReadTextBlockText(static_cast<int16_t>(Get16(data, L::kStyleFullNameID)));
        style.changesInstrument =
            hostVersion >= L::kVersion11 &&
            (Get16(data, L::kStyleFlags1) & L::kStyleFlags1Change) == L::kStyleFlags1Change &&
            (Get16(data, L::kStyleFlags2) & L::kStyleFlags2Change) == L::kStyleFlags2Change &&
            (Get16(data, L::kStyleFlags3) & L::kStyleFlags3Change) == L::kStyleFlags3Change;
        return std::make_pair(style.id, style);
    });
}

std::vector<ScoreStyleAssignment> ReadStyleAssignments(const Document& doc, const Score& reference) {
    std::vector<std::pair<std::pair<int16_t, int16_t>, ScoreStyleAssignment>> assignments;
    for (const auto& [key, data] : doc.RecordsWithTag(L::kStyleAssignTag)) {
        ScoreStyleAssignment a;
        a.staff = key.fields[0];
        a.inci = key.fields[1];
        a.style = static_cast<int16_t>(Get16(data, L::kAssignStyleID));
        a.start = ScorePoint{static_cast<int16_t>(Get16(data, L::kAssignStartMeasure)),
                             Get32(data, L::kAssignStartPosition)};
        a.end = ScorePoint{static_cast<int16_t>(Get16(data, L::kAssignEndMeasure)),
                           Get32(data, L::kAssignEndPosition)};
        assignments.emplace_back(std::make_pair(a.staff, a.inci), a);
    }
    return InReferenceOrder(std::move(assignments), AssignmentKeys(reference));
}

std::vector<ScoreMultiStaffInstrument> ReadInstruments(
    const Document& doc, const std::vector<ScoreMultiStaffInstrument>& reference) {
    return ItemsOfRecords(doc, L::kMultiStaffTag, reference, [](const RecordKey& key, const Bytes& data) {
        ScoreMultiStaffInstrument m;
        m.id = key.fields[0];
        for (std::size_t i = 0; i < 3; ++i) {
            const auto staff = static_cast<int16_t>(Get16(data, L::kMultiStaffStaff1 + 2 * i));
            if (staff != 0) m.staves.push_back(staff);
        }
        m.group = static_cast<int16_t>(Get16(data, L::kMultiStaffGroupID));
        return std::make_pair(m.id, m);
    });
}

std::vector<ScoreGroup> ReadGroups(const Document& doc, const DocumentBuilder& reader,
                                   const std::vector<ScoreGroup>& reference) {
    return ItemsOfRecords(doc, L::kGroupTag, reference, [&](const RecordKey& key, const Bytes& data) {
        ScoreGroup g;
        g.id = key.fields[1];
        g.top = static_cast<int16_t>(Get16(data, L::kGroupTopStaff));
        g.bottom = static_cast<int16_t>(Get16(data, L::kGroupBottomStaff));
        g.startMeasure = static_cast<int16_t>(Get16(data, L::kGroupStartMeasure));
        g.name = reader.ReadTextBlockText(static_cast<int16_t>(Get16(data, L::kGroupFullNameID)));
        return std::make_pair(g.id, g);
    });
}

std::vector<ScoreCategory> ReadCategories(const Document& doc, uint32_t hostVersion,
                                          const std::vector<ScoreCategory>& reference) {
    const std::size_t font = L::CategoryTextFont(hostVersion);
    return ItemsOfRecords(doc, L::kCategoryTag, reference, [&](const RecordKey& key, const Bytes& data) {
        ScoreCategory c;
        c.id = static_cast<int16_t>(Get16(data, L::kCategoryID));
        c.name = DecodeText(
            Bytes(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(std::min(data.size(), font))),
            L::kCategoryName, L::WideText(hostVersion));
        c.font = ScoreFontSpec{Get16(data, font), static_cast<int16_t>(Get16(data, font + 2)),
                               Get16(data, font + 4)};
        return std::make_pair(key.fields[0], c);
    });
}

// Matched to the reference's by measure, staff and definition: deletions move incidents down.
std::vector<ScoreExpression> ReadExpressions(const Document& doc,
                                             const std::vector<ScoreExpression>& reference) {
    std::vector<ScoreExpression> expressions;
    for (const auto& [key, data] : doc.RecordsWithTag(L::kExpressionTag)) {
        ScoreExpression e;
        e.measure = key.fields[0];
        e.inci = key.fields[1];
        e.staff = static_cast<int16_t>(Get16(data, L::kExpressionStaff));
        e.definition = Get16(data, L::kExpressionDefinitionID);
        e.shape = (Get16(data, L::kExpressionFlags) & L::kExpressionIsShape) != 0;
        expressions.push_back(e);
    }
    const std::vector<ExpressionMatchKey> keys = ExpressionMatchKeys(expressions);
    std::vector<std::pair<ExpressionMatchKey, ScoreExpression>> found;
    for (std::size_t i = 0; i < keys.size(); ++i) found.emplace_back(keys[i], expressions[i]);
    return InReferenceOrder(std::move(found), ExpressionMatchKeys(reference));
}

// The ids of the definitions to read, in key order: every one, or those an expression shows.
std::vector<int16_t> DefinitionIDs(const Document& doc, const std::vector<ScoreExpression>& expressions,
                                   DefinitionsRead definitionsRead) {
    std::vector<int16_t> definitionIDs;
    if (definitionsRead == DefinitionsRead::All) {
        for (const auto& entry : doc.RecordsWithTag(L::kTextExpressionTag))
            definitionIDs.push_back(entry.first.fields[0]);
        return definitionIDs;
    }
    for (const ScoreExpression& e : expressions) {
        const auto id = static_cast<int16_t>(e.definition);
        if (!e.shape && doc.Find(L::kTextExpressionTag, RecordKey::Other(id)) != nullptr)
            definitionIDs.push_back(id);
    }
    std::sort(definitionIDs.begin(), definitionIDs.end());
    definitionIDs.erase(std::unique(definitionIDs.begin(), definitionIDs.end()), definitionIDs.end());
    return definitionIDs;
}

std::vector<ScoreTextExpression> ReadDefinitions(const DocumentBuilder& reader,
                                                 const std::vector<int16_t>& ids,
                                                 const std::vector<ScoreTextExpression>& reference) {
    std::vector<std::pair<int16_t, ScoreTextExpression>> definitions;
    definitions.reserve(ids.size());
    for (const int16_t id : ids) {
        TextExpressionInfo info = reader.ReadTextExpression(id);
        ScoreTextExpression t;
        t.id = id;
        t.text = std::move(info.text);
        t.description = std::move(info.description);
        t.category = static_cast<int16_t>(info.categoryID);
        t.textBlock = info.textBlockID;
        definitions.emplace_back(id, std::move(t));
    }
    return InReferenceOrder(std::move(definitions), Ids(reference));
}

}  // namespace

Score ReadDocument(uint32_t hostVersion, const Score& reference, DefinitionsRead definitionsRead) {
    StandinHost& host = Host();
    const Document& doc = host.Doc();
    const DocumentBuilder reader(host.Doc(), hostVersion);

    Score score;
    score.hostVersion = hostVersion;
    score.hostVersionText = reference.hostVersionText;
    score.selection = reference.selection;
    score.listsGiven = reference.listsGiven;

    const auto& measures = doc.RecordsWithTag(L::kMeasureTag);
    score.measures = measures.empty() ? 0 : measures.rbegin()->first.fields[0];

    std::vector<std::pair<int16_t, ScoreFont>> fonts;
    for (const auto& [number, name] : host.Fonts()) {
        fonts.emplace_back(static_cast<int16_t>(number), ScoreFont{number, name});
    }
    score.fonts = InReferenceOrder(std::move(fonts), Ids(reference.fonts));
    score.staves = ReadStaves(host.StaffOrder(), doc, reader);
    score.staffStyles = ReadStaffStyles(doc, reader, hostVersion, reference.staffStyles);
    score.styleAssignments = ReadStyleAssignments(doc, reference);
    score.multiStaffInstruments = ReadInstruments(doc, reference.multiStaffInstruments);
    score.groups = ReadGroups(doc, reader, reference.groups);
    score.categories = ReadCategories(doc, hostVersion, reference.categories);
    score.expressions = ReadExpressions(doc, reference.expressions);
    score.textExpressions = ReadDefinitions(reader, DefinitionIDs(doc, score.expressions, definitionsRead),
                                            reference.textExpressions);
    return score;
}

std::vector<ExpressionMatchKey> ExpressionMatchKeys(const std::vector<ScoreExpression>& expressions) {
    // (measure, staff, definition, incident) packed into one number, the incident as read or the next of its
    // measure in list order, sorted with the list index: the expressions of one (measure, staff, definition)
    // come together in incident order, then list order, and the n-th of those with one shape flag is the n-th
    // in incident order.
    const auto bits = [](int16_t field) { return uint64_t{static_cast<uint16_t>(field)}; };
    NextIncidents next;
    std::vector<std::pair<uint64_t, std::size_t>> entries;
    entries.reserve(expressions.size());
    for (std::size_t i = 0; i < expressions.size(); ++i) {
        const ScoreExpression& e = expressions[i];
        const int16_t inci = e.inci >= 0 ? e.inci : next.Take(e.measure);
        // The incident's bits flipped at the top, so that it orders as the signed number it is.
        entries.emplace_back(bits(e.measure) << 48 | bits(e.staff) << 32 | uint64_t{e.definition} << 16 |
                                 (bits(inci) ^ 0x8000),
                             i);
    }
    std::sort(entries.begin(), entries.end());
    std::vector<ExpressionMatchKey> keys(expressions.size());
    std::array<int, 2> count{};  // expressions of the current (measure, staff, definition) by shape flag
    for (std::size_t k = 0; k < entries.size(); ++k) {
        if (k == 0 || entries[k].first >> 16 != entries[k - 1].first >> 16) count = {};
        const ScoreExpression& e = expressions[entries[k].second];
        keys[entries[k].second] =
            ExpressionMatchKey{e.measure, e.staff, e.definition, e.shape, count[e.shape]++};
    }
    return keys;
}

}  // namespace standin
