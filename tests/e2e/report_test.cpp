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

// The pixels of RGB (8-bit triples) within 8 in each channel of the first fill="#rrggbb" after MARKER in the
// page: the colour the report paints there. Browsers may blend or manage colours a little.
std::size_t PixelsOfFillAfter(const std::string& rgb, const std::string& html, const std::string& marker) {
    const std::size_t at = html.find("fill=\"#", html.find(marker));
    if (at == std::string::npos) return 0;
    const long want = std::stol(html.substr(at + 7, 6), nullptr, 16);
    std::size_t count = 0;
    for (std::size_t i = 0; i + 2 < rgb.size(); i += 3) {
        const auto* pixel = reinterpret_cast<const unsigned char*>(&rgb[i]);
        count += std::labs(pixel[0] - (want >> 16)) <= 8 && std::labs(pixel[1] - (want >> 8 & 0xff)) <= 8 &&
                 std::labs(pixel[2] - (want & 0xff)) <= 8;
    }
    return count;
}

// Renders the page with headless Chromium and checks what the report controls, not a browser's exact pixels: a
// picture of the window's size that shows the colours the page gives its instrument-change bars and its added
// labels over areas of some size. An empty or broken page has neither.
TEST_F(ReportTest, ChromiumRendersTheReport) {
    for (const std::string program : {"chromium", "convert"}) {
        if (std::system(("command -v " + program + " >/dev/null").c_str()) != 0)
            GTEST_SKIP() << program << " is not installed (optional: scripts/install-deps.sh test)";
    }
    const fs::path dir = testsupport::MakeTestFolder();
    const std::string html = OrchestraReport();
    std::ofstream(dir / "report.html") << html;
    const std::string render =
        "cd '" + dir.string() +
        "' && chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run "
        "--disable-background-networking --disable-component-update --disable-sync --user-data-dir=profile "
        "--screenshot=report.png --window-size=1600,1000 \"file://$PWD/report.html\" >chromium.log 2>&1 && "
        "convert report.png -depth 8 ppm:report.ppm";
    ASSERT_EQ(std::system(render.c_str()), 0) << testsupport::Slurp(dir / "chromium.log");

    // A binary PPM of the window's size: its header, then the RGB triples.
    const std::string header = "P6\n1600 1000\n255\n", ppm = testsupport::Slurp(dir / "report.ppm");
    ASSERT_EQ(ppm.substr(0, header.size()), header) << "not a picture of the window's size";
    ASSERT_EQ(ppm.size(), header.size() + 1600 * 1000 * 3);
    const std::string rgb = ppm.substr(header.size());
    EXPECT_GT(PixelsOfFillAfter(rgb, html, "<g class=\"instrument-change\">"), 5000u)
        << "no instrument-change bars in the picture";
    EXPECT_GT(PixelsOfFillAfter(rgb, html, "<g class=\"expression added\">"), 2000u)
        << "no added labels in the picture";
    fs::remove_all(dir);
}

}  // namespace
