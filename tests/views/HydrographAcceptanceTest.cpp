// The hydrograph view's main road as a user walks it, headless: the real program on the
// sample river, the options, a transient run whose every step ends the line on the results
// database's newest row, the discharge as Qflux and as nodal Qw, then the thermal sample's
// air temperature through 72 h inside its range (tests/tools/HydrographTour.h, which the
// hydrograph tour also runs on a display).
#include "TourAcceptanceSupport.h"

#include "../tools/HydrographTour.h"

namespace {

using namespace views_test;

const std::filesystem::path Examples = std::filesystem::path(VASQUIL_SOURCE_DIR) / "examples";

TEST(HydrographAcceptance, TheSampleRiversHistoryGrowsStepByStepAsTheDatabaseHoldsIt)
{
    WalkTourInProgram("vasquil-hydrograph-acceptance", Examples / "sample-river.vqx",
                      [](const std::filesystem::path& work, tour_steps::Observer& observer) {
                          hydrograph_tour::Tour(work, Examples / "sample-thermal.vqx", observer).Run();
                      });
}

}  // namespace
