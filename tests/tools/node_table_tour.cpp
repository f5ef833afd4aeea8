// Starts vasquil as a user would and walks through the node table on copies of the sample
// river and its water-quality data (tests/tools/NodeTableTour.h: a typed stage, a pasted block,
// Set Values, Save and reopen, a water-quality run watched from the table, a hidden run dialog
// shown again, Auto Size, Expand To Fit and the output nodes only), saving the screen at every
// stop. Run it on a display (a virtual one under xvfb-run) to see what a user sees.
//
//   node_table_tour EXAMPLES_FOLDER OUTPUT_FOLDER
//
// Writes OUTPUT_FOLDER/NN-name.png (and the edited copies and the run's database); the exit
// status is 0 when every check held and every picture was saved and shows more than a blank
// screen.
#include "NodeTableTour.h"
#include "ProgramTour.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: node_table_tour EXAMPLES_FOLDER OUTPUT_FOLDER\n");
        return 1;
    }
    const std::filesystem::path examples = argv[1];
    screen_tour::g_folder = argv[2];
    std::filesystem::create_directories(screen_tour::g_folder);

    return screen_tour::WalkTourOnScreen(argv[0], {}, [&](tour_steps::Observer& observer) {
        if (!node_table_tour::Tour(screen_tour::g_folder, examples, observer).Run()) screen_tour::g_failed = true;
    });
}
