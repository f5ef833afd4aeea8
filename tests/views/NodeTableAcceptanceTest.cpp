// The node table's main road as a user walks it, headless: the real program on copies of the
// sample river and its water-quality data, a typed stage, a pasted block and Set Values, Save's
// question and the run's refusal, Accept, Save and both files reopened, a water-quality run
// watched step by step against the results database, editing after the run, and a run dialog
// the table hides shown again on the Profile tab (tests/tools/NodeTableTour.h, which the
// node-table tour also runs on a display).
#include "TourAcceptanceSupport.h"

#include "../tools/NodeTableTour.h"

namespace {

using namespace views_test;

const std::filesystem::path Examples = std::filesystem::path(VASQUIL_SOURCE_DIR) / "examples";

TEST(NodeTableAcceptance, TheSampleRiversTableIsEditedAcceptedSavedAndWatchedThroughARun)
{
    WalkTourInProgram("vasquil-node-table-acceptance", {},
                      [](const std::filesystem::path& work, tour_steps::Observer& observer) {
                          node_table_tour::Tour(work, Examples, observer).Run();
                      });
}

}  // namespace
