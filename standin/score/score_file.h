// Score files: a score as JSON, the document the stand-in builds from it, and the score read back from a
// document after the module has worked on it.
//
// A score file names everything by the numbers the document uses (staff ids, style ids, definition ids) and
// gives texts as UTF-8, with the application's text tags where the document keeps them. Reading a file checks
// it whole before anything is built: a fault is reported with the JSON location (a JSON pointer) and what is
// wrong, and nothing is built from a file with a fault.
#ifndef MIREL_STANDIN_SCORE_FILE_H
#define MIREL_STANDIN_SCORE_FILE_H

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include <nlohmann/json.hpp>

namespace standin {

constexpr uint32_t kDefaultHostVersion = 0x12050000;
// The end position of a selection that runs to the end of its last measure.
constexpr int32_t kEndOfMeasure = 2147483647;

// A point of the score: a measure and a position inside it.
struct ScorePoint {
    int16_t measure = 0;
    int32_t position = 0;
};

struct ScoreFont {
    uint16_t number = 0;
    std::string name;
};

struct ScoreStaff {
    int16_t id = 0;
    std::string name;  // the full name with its text tags
};

struct ScoreStaffStyle {
    int16_t id = 0;
    std::string name;
    bool changesInstrument = false;
};

struct ScoreStyleAssignment {
    int16_t staff = 0;
    int16_t style = 0;
    ScorePoint start;
    ScorePoint end;
    // The assignment's incident among those of its staff, when read from a document (-1 otherwise).
    int16_t inci = -1;
};

struct ScoreMultiStaffInstrument {
    int16_t id = 0;
    std::vector<int16_t> staves;  // one to three, top first as the record lists them
    int16_t group = 0;            // 0: none
};

struct ScoreGroup {
    int16_t id = 0;
    int16_t top = 0;
    int16_t bottom = 0;
    int16_t startMeasure = 0;
    std::string name;
};

struct ScoreFontSpec {
    uint16_t number = 0;
    int16_t size = 0;
    uint16_t effects = 0;
};

struct ScoreCategory {
    int16_t id = 0;  // the category's id, also its record number
    std::string name;
    ScoreFontSpec font;
};

struct ScoreTextExpression {
    int16_t id = 0;
    std::string text;         // with its text tags
    std::string description;  // as stored
    int16_t category = 0;     // 0: none
    // The text block the definition names, when read from a document (0 otherwise).
    uint16_t textBlock = 0;
};

struct ScoreExpression {
    int16_t measure = 0;
    int16_t staff = 0;
    uint16_t definition = 0;
    bool shape = false;
    // The expression's incident in its measure, when read from a document (-1 otherwise).
    int16_t inci = -1;
};

struct ScoreSelection {
    int16_t startSlot = 0;
    int16_t endSlot = 0;
    int16_t startMeasure = 0;
    int16_t endMeasure = 0;
    int32_t startPosition = 0;
    int32_t endPosition = kEndOfMeasure;
};

struct Score {
    uint32_t hostVersion = kDefaultHostVersion;
    // The host version as the file spells it; none when the file leaves it out.
    std::optional<std::string> hostVersionText;
    int16_t measures = 0;
    std::vector<ScoreFont> fonts;
    std::vector<ScoreStaff> staves;  // score order: slot i + 1 shows staves[i]
    std::vector<ScoreStaffStyle> staffStyles;
    std::vector<ScoreStyleAssignment> styleAssignments;
    std::vector<ScoreMultiStaffInstrument> multiStaffInstruments;
    std::vector<ScoreGroup> groups;
    std::vector<ScoreCategory> categories;
    std::vector<ScoreTextExpression> textExpressions;
    std::vector<ScoreExpression> expressions;
    std::optional<ScoreSelection> selection;
    // The optional lists the file spells out (an empty list is written back only when the file had it).
    std::set<std::string> listsGiven;

    // Look-ups by id; null when there is none.
    const ScoreStaff* Staff(int16_t id) const;
    const ScoreStaffStyle* StaffStyle(int16_t id) const;
    const ScoreGroup* Group(int16_t id) const;
    const ScoreCategory* Category(int16_t id) const;
    const ScoreTextExpression* TextExpression(int16_t id) const;
    // The slot of a staff (from 1), 0 when it is not in the score.
    int SlotOf(int16_t staffID) const;
    // The selection of the file, or the whole score when it has none.
    ScoreSelection SelectionOrWholeScore() const;
};

// A fault in a score: where (a JSON pointer, "" for the whole document) and what.
class ScoreError : public std::runtime_error {
  public:
    ScoreError(std::string pointer, const std::string& message)
        : std::runtime_error(message), pointer_(std::move(pointer)) {}
    const std::string& Pointer() const { return pointer_; }

  private:
    std::string pointer_;
};

// A score file that cannot be used: names the file and, where there is one, the JSON location.
class ScoreFileError : public std::runtime_error {
  public:
    explicit ScoreFileError(const std::string& message) : std::runtime_error(message) {}
};

// "0x" and one to eight hexadecimal digits; false for anything else.
bool ParseHostVersion(const std::string& text, uint32_t& version);
std::string FormatHostVersion(uint32_t version);

// The score a JSON value describes, checked whole; throws ScoreError at the first fault.
Score ScoreFromJson(const nlohmann::json& json);
// The score file at `path`; throws ScoreFileError naming the file, the location and the fault.
Score ReadScoreFile(const std::string& path);
// The score in `content`, the text of a score file called `name`; throws ScoreFileError as ReadScoreFile
// does.
Score ReadScoreText(const std::string& content, const std::string& name);
// The text of the score file: the JSON in the file's field order, laid out as dump(2, ' ', false) lays it
// out, and a line end. The host version is written as the file spelled it when it still holds; optional
// lists and the selection only when the score has them (an empty list only when the file gave it).
std::string ScoreToJsonText(const Score& score);
// The same text written to `out` a piece at a time, never held whole, nor as a JSON value.
void WriteScoreJson(std::ostream& out, const Score& score);
// The score as JSON: that text read back, for comparing scores.
nlohmann::ordered_json ScoreToJson(const Score& score);

// Checks what depends on the host version the document is built for: a category name must fit the category
// record; before 0x11000000 record texts hold only characters up to U+00FF and the staff style layout has no
// instrument-change flags. Throws ScoreError.
void CheckForHostVersion(const Score& score, uint32_t hostVersion);

// Builds the score into the host (Host()): a new document with the records of `hostVersion`'s layouts, the
// staff order and the fonts. The score must have been checked (ScoreFromJson, CheckForHostVersion).
void BuildDocument(const Score& score, uint32_t hostVersion);
// Which text expression definitions ReadDocument reads: all, or only those an expression shows (what a
// comparison of the expressions needs; the definitions a run leaves behind are not read again and again).
enum class DefinitionsRead { All, Shown };

// The score the host's document (Host()) holds now, read from its records with `hostVersion`'s layouts. Items
// that `reference` (the score the document was built from) has keep its order; items it does not have follow,
// in document order. The selection and the spelling of the host version come from `reference`.
Score ReadDocument(uint32_t hostVersion, const Score& reference,
                   DefinitionsRead definitionsRead = DefinitionsRead::All);

// What finds an expression again in another reading of the same document: (measure, staff, definition,
// shape, n), n counting from 0 the expressions with the same first four in incident order (list order for
// those not read from a document). Incidents are not kept: deleting an expression moves the later ones of
// its measure down one incident, and the expressions that stay must still be found.
using ExpressionMatchKey = std::tuple<int16_t, int16_t, uint16_t, bool, int>;
// The key of each expression, in the order of `expressions`.
std::vector<ExpressionMatchKey> ExpressionMatchKeys(const std::vector<ScoreExpression>& expressions);

// Writes `content` to `path` through a temporary file in the same folder and a rename, so that `path` holds
// either its old content or all of the new. False, with the reason in `error`, when that fails.
bool WriteFileAtomically(const std::string& path, const std::string& content, std::string& error);
// The same with the content written by `write`.
bool WriteFileAtomically(const std::string& path, const std::function<void(std::ostream&)>& write,
                         std::string& error);

// The text as it reads, without its text tags ("^size(12)" and the like; a doubled caret is one caret).
std::string PlainText(const std::string& tagged);

}  // namespace standin

#endif
