#ifndef MIREL_TESTS_UNIT_ENGINE_TEST_FIXTURE_H
#define MIREL_TESTS_UNIT_ENGINE_TEST_FIXTURE_H

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/music_region.h"
#include "host/host_api.h"
#include "host/host_version.h"
#include "plugin/module_state.h"
#include "standin/host/host.h"
#include "standin/score/document_builder.h"
#include "tests/support/host_fixture.h"

// A stand-in document with a few staves, styles and categories, and helpers to run the engine on a region and
// read what it left in the document.
class EngineTest : public testsupport::HostFixture {
  protected:
    static constexpr uint16_t kTechniqueTextID = 5;

    void SetUp() override {
        HostFixture::SetUp();
        Prepare(testsupport::kHostVersion);
    }

    void Prepare(uint32_t hostVersion) {
        standin::Host().Reset();
        host::gBindingCache = host::BindingCache();
        gHostVersion = hostVersion;
        ResetPluginSettings();
        builder_ = std::make_unique<standin::DocumentBuilder>(standin::Host().Doc(), hostVersion);
        standin::Host().SetFonts({{0, "Times New Roman"}, {1, "Arial"}});
    }

    standin::DocumentBuilder& Doc() { return *builder_; }

    // Expression categories as a new document has them; "Technique Text" uses Arial 11 with effects 2.
    void AddStandardCategories() {
        Doc().AddCategory({1, 1, "Dynamics", 0, 24, 0});
        Doc().AddCategory({2, 4, "Expressive Text", 0, 12, 2});
        Doc().AddCategory({3, kTechniqueTextID, "Technique Text", 1, 11, 2, {11, 12, 13, 14, 15, 16}});
    }

  public:
    static FCMusicRegion Region(int16_t startSlot, int16_t endSlot, int16_t startMeasure, int16_t endMeasure,
                                int32_t startPosition = 0, int32_t endPosition = 0x7FFFFFFF) {
        standin::RegionSpec spec;
        spec.startSlot = startSlot;
        spec.endSlot = endSlot;
        spec.startMeasure = startMeasure;
        spec.endMeasure = endMeasure;
        spec.startPosition = startPosition;
        spec.endPosition = endPosition;
        const auto record = standin::MakeRegionRecord(spec);
        return FCMusicRegion(record.data());
    }

  protected:
    // The texts of the text expressions on `staff` in `measure`, in incident order.
    std::vector<std::string> TextsAt(int16_t measure, int16_t staff) const {
        std::vector<std::string> texts;
        for (const auto& e : builder_->ReadExpressions(measure)) {
            if (e.staff == staff)
                texts.push_back(builder_->ReadTextExpression(static_cast<int16_t>(e.definitionID)).text);
        }
        return texts;
    }

    standin::TextExpressionInfo DefinitionAt(int16_t measure, int16_t staff, std::size_t index = 0) const {
        std::size_t seen = 0;
        for (const auto& e : builder_->ReadExpressions(measure)) {
            if (e.staff != staff) continue;
            if (seen++ == index) return builder_->ReadTextExpression(static_cast<int16_t>(e.definitionID));
        }
        return {};
    }

    std::unique_ptr<standin::DocumentBuilder> builder_;
};

#endif
