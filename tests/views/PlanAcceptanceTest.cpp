// The plan view's main road as a user walks it, headless: the real program on the branched
// sample river, a map image under it, the options, the zooms by mouse, key and command, and a
// transient run whose every step colours the elements by the stages the database holds for it
// (tests/tools/PlanTour.h, which the plan tour also runs on a display).
#include "TourAcceptanceSupport.h"

#include "../tools/PlanTour.h"

namespace {

using namespace views_test;

const std::filesystem::path SampleNetwork =
    std::filesystem::path(VASQUIL_SOURCE_DIR) / "examples" / "sample-network.vqx";

TEST(PlanAcceptance, TheSampleNetworkOverItsMapIsZoomedAndColouredStepByStep)
{
    WalkTourInProgram("vasquil-plan-acceptance", SampleNetwork,
                      [](const std::filesystem::path& work, tour_steps::Observer& observer) {
                          plan_tour::Tour(work, observer).Run();
                      });
}

}  // namespace
