#include "engine/region_sweep.h"

#include <memory>

#include "engine/placement.h"
#include "engine/stale_removal.h"
#include "framework/music_region.h"
#include "records/full_name.h"
#include "records/measure.h"
#include "records/multi_staff.h"
#include "records/staff.h"
#include "records/staff_style.h"
#include "text/fc_string.h"

namespace {

// The member staves of a multi-staff instrument, in the order they are tried.
struct MemberStaves {
    uint16_t ids[3];
};

MemberStaves MembersOf(const FCMultiStaffInstrument& instrument) {
    return {{instrument.GetStaffID1(), instrument.GetStaffID2(), instrument.GetStaffID3()}};
}

// The member with the smallest slot (top) or the largest (bottom); members not on the score (slot 0) are
// passed over, and 0 means none is on the score. The first member found is taken whatever its slot, so the
// search needs no starting bound.
int16_t OuterStaff(const FCMultiStaffInstrument& instrument, bool top) {
    int32_t best = 0;
    bool found = false;
    int16_t outer = 0;
    for (uint16_t id : MembersOf(instrument).ids) {
        const int32_t slot = SlotOfStaff(static_cast<int16_t>(id));
        if (slot == 0) continue;
        if (!found || (top ? slot < best : slot > best)) {
            best = slot;
            outer = static_cast<int16_t>(id);
            found = true;
        }
    }
    return outer;
}

FCMultiStaffInstrument* InstrumentOfStaff(const FCMultiStaffInstruments& instruments, int16_t staff) {
    for (int32_t i = 0; i < instruments.Count(); ++i) {
        FCMultiStaffInstrument* instrument = instruments.GetInstrumentAt(i);
        if (instrument != nullptr && instrument->HasStaff(staff)) return instrument;
    }
    return nullptr;
}

// The name the staff returns to: the instrument's group (loaded by its group id) or the staff's own name;
// null when it cannot be read.
std::unique_ptr<FCString> ReturnName(const FCMultiStaffInstrument* instrument, bool grouped, int16_t staff) {
    if (grouped) {
        FCGroup group;
        group.SetKey(0, static_cast<int16_t>(instrument->GetGroupID()));
        if (!group.LoadAtKey()) return nullptr;
        return records::ReadFullNameFromTextBlock(group.GetFullNameID());
    }
    FCStaff staffRecord;
    if (!staffRecord.Load(staff)) return nullptr;
    return records::ReadFullNameFromTextBlock(staffRecord.GetFullNameID());
}

// One run over a region: what every staff of the run shares (the region, the chosen category, the user's
// settings and the score's instruments and groups, read once at the start) and whether anything changed.
class RegionSweep {
  public:
    RegionSweep(const FCMusicRegion& region, uint16_t categoryID, const PluginSettings& settings)
        : region_(region), categoryID_(categoryID), settings_(settings) {}

    bool Run() {
        instruments_.LoadAll();
        groups_.LoadAll();
        for (int32_t slot = region_.startSlot; slot <= region_.endSlot; ++slot)
            SweepStaff(StaffAtSlot(static_cast<int16_t>(slot), region_.staffListID));
        return changed_;
    }

  private:
    void SweepStaff(int16_t staff);
    void MarkChange(const FCStaffStyleAssign& assignment, int16_t staff,
                    const FCMultiStaffInstrument* instrument);
    void MarkEnd(const FCStaffStyleAssign& assignment, int16_t staff,
                 const FCMultiStaffInstrument* instrument, bool grouped);
    void Mark(int16_t measure, int16_t staff, FCString* name) {
        if (PlaceChangeExpression(MarkRequest{measure, staff, categoryID_, settings_}, name).Changed())
            changed_ = true;
    }

    const FCMusicRegion& region_;
    const uint16_t categoryID_;
    const PluginSettings& settings_;
    FCMultiStaffInstruments instruments_;
    FCGroups groups_;
    bool changed_ = false;
};

void RegionSweep::SweepStaff(int16_t staff) {
    FCStaffStyleAssigns assignments;
    assignments.LoadAllForItem(staff);
    if (RemoveStaleChangeExpressions(&assignments, region_, staff)) changed_ = true;

    // Only the top staff of a multi-staff instrument receives expressions; its other staves only lose their
    // stale ones.
    const FCMultiStaffInstrument* instrument = staff != 0 ? InstrumentOfStaff(instruments_, staff) : nullptr;
    if (instrument != nullptr && OuterStaff(*instrument, true) != staff) return;

    for (int32_t i = 0; i < assignments.Count(); ++i) {
        const FCStaffStyleAssign* assignment = assignments.GetAssignAt(i);
        if (assignment != nullptr) MarkChange(*assignment, staff, instrument);
    }
}

// Marks one instrument change on `staff`: at its start, named after the new instrument, and after its end.
void RegionSweep::MarkChange(const FCStaffStyleAssign& assignment, int16_t staff,
                             const FCMultiStaffInstrument* instrument) {
    // CONTRACT: a style that does not load is no instrument change, here as in stale removal (ChangeBeginsIn):
    // its name and whether it changes the instrument are unknown, and no mark, start or end, is written on a
    // guess. Pinned by RefusedReadTest.NoMarkIsWrittenOnAGuess (its Style cases),
    // SweepTest.NothingToDoLeavesTheDocumentByteIdentical and
    // StaleTest.StyleThatDoesNotLoadJustifiesNoMarkAndIsNotMarkedAnew.
    FCStaffStyleDef style;
    if (!style.Load(assignment.GetStyleID()) || !style.ChangesInstrument()) return;

    const FCGroup* group = nullptr;
    if (instrument != nullptr) {
        group = groups_.FindGroup(OuterStaff(*instrument, true), OuterStaff(*instrument, false),
                                  assignment.GetStartMeasure());
    }

    // CONTRACT: a mark is written only with a name that was read: a name record (staff, group, text block or
    // raw text) that does not load gives no mark, where it gave one naming nothing ("To :"). A name block of
    // 0 is no name and still gives that mark. Pinned by RefusedReadTest.NoMarkIsWrittenOnAGuess and
    // SweepTest.StaffWithoutANameIsReturnedToUnnamed.
    if (RegionContainsPoint(region_, assignment.GetStartMeasure(), assignment.GetStartPosition())) {
        const std::unique_ptr<FCString> name(records::ReadFullNameFromTextBlock(
            group != nullptr ? group->GetFullNameID() : style.GetFullNameID()));
        if (name) Mark(assignment.GetStartMeasure(), staff, name.get());
    }
    MarkEnd(assignment, staff, instrument, group != nullptr);
}

// The end mark goes into the measure after the end measure, named after the instrument the staff returns to;
// with an end measure of -1 there is none, and a following measure that does not exist means the change
// lasts to the end of the piece.
void RegionSweep::MarkEnd(const FCStaffStyleAssign& assignment, int16_t staff,
                          const FCMultiStaffInstrument* instrument, bool grouped) {
    const uint16_t next = static_cast<uint16_t>(assignment.GetEndMeasure() + 1);
    if (next == 0) return;
    FCMeasure following;
    if (!following.Load(static_cast<int16_t>(next))) return;
    if (!RegionContainsPoint(region_, assignment.GetEndMeasure(), assignment.GetEndPosition())) return;
    const std::unique_ptr<FCString> name = ReturnName(instrument, grouped, staff);
    if (name) Mark(static_cast<int16_t>(next), staff, name.get());
}

}  // namespace

bool RegionContainsPoint(const FCMusicRegion& region, int16_t measure, int32_t position) {
    if (measure < region.startMeasure || measure > region.endMeasure) return false;
    if (measure == region.startMeasure && position < region.startPosition) return false;
    if (measure == region.endMeasure && position > region.endPosition) return false;
    return true;
}

bool CreateInstrumentChangeExpressions(const FCMusicRegion& region, uint16_t categoryID,
                                       const PluginSettings& settings) {
    return RegionSweep(region, categoryID, settings).Run();
}
