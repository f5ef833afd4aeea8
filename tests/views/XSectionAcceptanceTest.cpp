// The cross-section editor's main road as a user walks it, headless: the real program on the
// sample river, a typed point, a raised point count, Apply, Save and reopen, a water-quality
// run watched from the editor, and the thermal sample's border ice after 72 h
// (tests/tools/XSectionTour.h, which the cross-section tour also runs on a display).
#include "TourAcceptanceSupport.h"

#include "../tools/XSectionTour.h"

namespace {

using namespace views_test;

const std::filesystem::path Examples = std::filesystem::path(VASQUIL_SOURCE_DIR) / "examples";

TEST(XSectionAcceptance, TheSampleRiversSectionIsEditedAppliedSavedAndWatchedThroughARun)
{
    WalkTourInProgram("vasquil-xsection-acceptance", Examples / "sample-river.vqx",
                      [](const std::filesystem::path& work, tour_steps::Observer& observer) {
                          xsection_tour::Tour(work, Examples, observer).Run();
                      });
}

}  // namespace
