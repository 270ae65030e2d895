// The HTML report: what the picture holds, and the page rendered by a real browser when one is installed.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "standin/commands/run_command.h"
#include "standin/dialog/ui_model.h"
#include "standin/host/host.h"
#include "standin/report/report.h"
#include "tests/e2e/module_fixture.h"
#include "tests/e2e/program_fixture.h"

namespace {

namespace fs = std::filesystem;

std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size()))
        ++n;
    return n;
}

class ReportTest : public ModuleTest {
  protected:
    // The orchestral example run with the default answers on `select`, and its report.
    std::string OrchestraReport(const std::string& select = "*:*") {
        const standin::Score score = standin::ReadScoreFile(testsupport::ExamplePath("orchestra.json"));
        standin::RunSettings settings;
        EXPECT_NO_THROW(settings.selection = standin::ParseSelection(select, score));
        std::istringstream in;
        std::ostringstream out;
        auto platform = standin::MakeModelPlatform({}, false, in, out);
        const standin::RunResult result = standin::RunScore(Exports(), score, settings, *platform);
        standin::ReportInput input;
        input.title = "orchestra.json";
        input.subtitle = "default answers";
        input.before = result.before;
        input.after = result.after;
        input.changes = result.changes;
        input.selection = settings.selection;
        return standin::RenderReport(input);
    }
};

TEST_F(ReportTest, PictureHoldsStavesBarsLabelsAndLegend) {
    const std::string html = OrchestraReport();
    // One self-contained page: no scripts, style sheets or images from elsewhere.
    EXPECT_EQ(html.rfind("<!DOCTYPE html>", 0), 0u);
    EXPECT_EQ(Count(html, "<script"), 0u);
    EXPECT_EQ(Count(html, "<link"), 0u);
    EXPECT_EQ(Count(html, "src="), 0u);
    EXPECT_EQ(Count(html, "<svg"), 1u);
    EXPECT_EQ(Count(html, "<g"), Count(html, "</g>"));

    // Staves as rows in score order, with their names.
    std::size_t previous = 0;
    for (const char* name :
         {"1. Flute 1", "2. Flute 2", "6. Clarinet in B♭ 2", "24. Piano", "25. Piano", "30. Contrabass"}) {
        const std::size_t at = html.find(std::string(">") + name + "</text>");
        ASSERT_NE(at, std::string::npos) << name;
        EXPECT_GT(at, previous) << name;
        previous = at;
    }
    // Eight assignments change the instrument, one style does not; each bar carries its style's name.
    EXPECT_EQ(Count(html, "<g class=\"instrument-change\">"), 8u);
    EXPECT_EQ(Count(html, "<g class=\"staff-style\">"), 1u);
    EXPECT_NE(html.find(">Slash Notation</text>"), std::string::npos);
    EXPECT_NE(html.find(">Bass Clarinet in B♭</text>"), std::string::npos);
    // Expressions by what the run did: 13 added, the stale one removed, the other two left.
    EXPECT_EQ(Count(html, "<g class=\"expression added\">"), 13u);
    EXPECT_EQ(Count(html, "<g class=\"expression removed\">"), 1u);
    EXPECT_EQ(Count(html, "<g class=\"expression unchanged\">"), 2u);
    EXPECT_EQ(Count(html, "<g class=\"expression rewritten\">"), 0u);
    EXPECT_NE(html.find("text-decoration=\"line-through\">To Piccolo:</text>"), std::string::npos);
    EXPECT_NE(html.find(">dolce</text>"), std::string::npos);
    for (const char* legend : {"added by this run", "rewritten by this run", "removed by this run",
                               "staff style that changes the instrument", "other staff style", "selection"}) {
        EXPECT_NE(html.find(legend), std::string::npos) << legend;
    }
}

TEST_F(ReportTest, SelectionIsShadedOverItsSlotsAndMeasures) {
    const std::string whole = OrchestraReport("2-4:10-20");
    const std::size_t at = whole.find("<rect class=\"selection\"");
    ASSERT_NE(at, std::string::npos);
    const std::string rect = whole.substr(at, whole.find("/>", at) - at);
    // Eleven measures of 11 pixels, three rows of 40.
    EXPECT_NE(rect.find("width=\"121\" height=\"120\""), std::string::npos) << rect;
}

TEST(ReportMarkupTest, NamesAreEscaped) {
    standin::ReportInput input;
    input.title = "a<b>&\"c\".json";
    input.after.measures = 2;
    input.after.staves = {{1, "Horn & <Tuba>"}};
    input.after.textExpressions = {{1, "^size(9)\"quoted\" & <tag>", "", 0, 0}};
    input.after.expressions = {{1, 1, 1, false, 0}};
    input.before = input.after;
    input.selection = input.after.SelectionOrWholeScore();
    const std::string html = standin::RenderReport(input);
    EXPECT_NE(html.find("Horn &amp; &lt;Tuba&gt;"), std::string::npos);
    EXPECT_NE(html.find("&quot;quoted&quot; &amp; &lt;tag&gt;"), std::string::npos);
    EXPECT_NE(html.find("a&lt;b&gt;&amp;&quot;c&quot;.json"), std::string::npos);
    EXPECT_EQ(html.find("<Tuba>"), std::string::npos);
    EXPECT_EQ(html.find("<tag>"), std::string::npos);
}

// Renders the page with headless Chromium and checks that the picture is not blank: a page of the score with
// its coloured bars and labels has hundreds of colours, a blank or failed page a handful.
TEST_F(ReportTest, ChromiumRendersTheReport) {
    ASSERT_TRUE(fs::exists("/usr/bin/chromium"))
        << "needs Chromium (scripts/install-deps.sh test installs it)";
    const fs::path dir = testsupport::MakeTestFolder();
    fs::create_directories(dir / "profile");
    const fs::path page = dir / "report.html";
    const fs::path png = dir / "report.png";
    std::ofstream(page) << OrchestraReport();

    const std::string chromium =
        "/usr/bin/chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run "
        "--disable-background-networking --disable-component-update --disable-sync --user-data-dir='" +
        (dir / "profile").string() + "' --screenshot='" + png.string() +
        "' --window-size=1600,1000 'file://" + page.string() + "' >'" + (dir / "chromium.log").string() +
        "' 2>&1";
    ASSERT_EQ(std::system(chromium.c_str()), 0);
    ASSERT_TRUE(fs::exists(png));
    EXPECT_GT(fs::file_size(png), 10000u);

    const std::string convert =
        "convert '" + png.string() + "' -format %k info: >'" + (dir / "colours.txt").string() + "'";
    ASSERT_EQ(std::system(convert.c_str()), 0) << "ImageMagick's convert is needed to count the colours";
    std::ifstream colours(dir / "colours.txt");
    long count = 0;
    colours >> count;
    EXPECT_GT(count, 200) << "the rendered report looks blank";

    // The picture's own colours are there: the instrument-change bars and the added labels' outline.
    const std::string histogram = "convert '" + png.string() + "' -format %c histogram:info: >'" +
                                  (dir / "histogram.txt").string() + "'";
    ASSERT_EQ(std::system(histogram.c_str()), 0);
    const std::string text = testsupport::Slurp(dir / "histogram.txt");
    EXPECT_NE(text.find("#5E3C99"), std::string::npos) << "no instrument-change bar in the picture";
    EXPECT_NE(text.find("#1A9641"), std::string::npos) << "no added label in the picture";
    fs::remove_all(dir);
}

}  // namespace
