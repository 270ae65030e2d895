// Many invocations with the module kept loaded, as in a long session of the application: the orchestral
// example, the selection alternating between the whole score and a part of it, the dialog ended with OK and
// with Cancel. The document grows on every OK run by design (a rewrite leaves the old raw text and text block
// behind; an end mark is removed and placed anew with a new definition); the process must grow by no more
// than that. 1,000 invocations by default; MIREL_SOAK_INVOCATIONS=10000 for the long form.
#include <malloc.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>

#include "standin/dialog/dialog_user.h"
#include "standin/dialog/ui_model.h"
#include "standin/host/host.h"
#include "standin/score/document_builder.h"
#include "standin/score/score_file.h"
#include "tests/e2e/module_fixture.h"
#include "tests/e2e/program_fixture.h"
#include "tests/support/sanitizer.h"

namespace {

constexpr long kMiB = 1024 * 1024;

long Invocations() {
    const char* text = std::getenv("MIREL_SOAK_INVOCATIONS");
    const long count = text != nullptr ? std::atol(text) : 0;
    return count > 100 ? count : 1000;
}

// Resident memory of this process in bytes.
long ResidentBytes() {
    std::ifstream statm("/proc/self/statm");
    long size = 0;
    long resident = 0;
    statm >> size >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

// Heap bytes the document's store takes: what a copy of it allocates (its records and the store's bookkeeping
// for each, map nodes and buffers).
long DocumentHeapBytes(const standin::Document& doc) {
    const auto before = mallinfo2().uordblks;
    const auto copy = std::make_unique<standin::Document>(doc);
    return static_cast<long>(mallinfo2().uordblks - before);
}

// Bytes of the records the document holds.
long DocumentBytes(const standin::Document& doc) {
    long bytes = 0;
    for (uint32_t tag : doc.Tags()) {
        for (const auto& record : doc.All(tag)) bytes += static_cast<long>(record.second.size());
    }
    return bytes;
}

class SoakTest : public ModuleTest {};

TEST_F(SoakTest, LongSessionGrowsNoMoreThanItsDocument) {
    const standin::Score score = standin::ReadScoreFile(testsupport::ExamplePath("orchestra.json"));
    standin::BuildDocument(score, score.hostVersion);
    Exports().version(score.hostVersion);
    uint32_t flags = 0;
    Exports().init(0, &flags);

    standin::RegionSpec whole;
    whole.startSlot = 1;
    whole.endSlot = static_cast<int16_t>(score.staves.size());
    whole.startMeasure = 1;
    whole.endMeasure = score.measures;
    whole.endPosition = standin::kEndOfMeasure;
    standin::RegionSpec part = whole;  // the woodwinds in the first half
    part.endSlot = 8;
    part.endMeasure = static_cast<int16_t>(score.measures / 2);
    const auto wholeRecord = standin::MakeRegionRecord(whole);
    const auto partRecord = standin::MakeRegionRecord(part);
    const HWND parent = MirelWindowFromValue(standin::Host().MainWindow());

    const long invocations = Invocations();
    long residentAt100 = 0;
    long documentAt100 = 0;
    long heapAt100 = 0;
    long changed = 0;
    for (long i = 1; i <= invocations; ++i) {
        // OK, OK, Cancel, OK on the whole score, then on the part: both endings on both selections.
        standin::DialogAnswers answers;
        if (i % 4 == 3) answers.ending = standin::DialogEnding::Cancel;
        standin::Ui().Reset();  // what the user saw is not kept from one invocation to the next
        standin::Ui().SetUser(std::make_shared<standin::ScriptedDialogUser>(answers));
        const auto& region = (i / 4) % 2 == 0 ? wholeRecord : partRecord;
        const uint32_t answer = Exports().invoke(parent, 0, region.data(), 0);
        ASSERT_LE(answer, 1u) << "invocation " << i;
        changed += answer;
        if (i == 100) {
            residentAt100 = ResidentBytes();
            documentAt100 = DocumentBytes(standin::Host().Doc());
            heapAt100 = DocumentHeapBytes(standin::Host().Doc());
        }
    }
    const long residentGrowth = ResidentBytes() - residentAt100;
    const long documentGrowth = DocumentBytes(standin::Host().Doc()) - documentAt100;
    const long heapGrowth = DocumentHeapBytes(standin::Host().Doc()) - heapAt100;
    std::cout << invocations << " invocations (" << changed << " changed the document): from invocation 100 "
              << "to the last the document grew by " << documentGrowth << " bytes of records, " << heapGrowth
              << " bytes of heap with the store's bookkeeping (" << standin::Host().Doc().RecordCount()
              << " records now); resident memory grew by " << residentGrowth << " bytes\n";
    EXPECT_GT(changed, 0);
#if !MIREL_UNDER_ASAN
    // Under AddressSanitizer freed memory is held back in quarantine, so resident memory says nothing there;
    // its leak check at exit covers the session instead.
    EXPECT_LE(residentGrowth, heapGrowth + kMiB);
#endif
}

}  // namespace
