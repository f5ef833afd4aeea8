// Starts vasquil on the sample river as a user would and walks through the cross-section
// editor (tests/tools/XSectionTour.h: a typed point, a raised point count, Apply, Save and
// reopen, a water-quality run watched from the editor, the thermal sample's border ice),
// saving the screen at every stop. Run it on a display (a virtual one under xvfb-run) to see
// what a user sees.
//
//   xsection_tour EXAMPLES_FOLDER OUTPUT_FOLDER
//
// Writes OUTPUT_FOLDER/NN-name.png (and the edited model and the run's database); the exit
// status is 0 when every check held and every picture was saved and shows more than a blank
// screen.
#include "ProgramTour.h"
#include "XSectionTour.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: xsection_tour EXAMPLES_FOLDER OUTPUT_FOLDER\n");
        return 1;
    }
    const std::filesystem::path examples = argv[1];
    screen_tour::g_folder = argv[2];
    std::filesystem::create_directories(screen_tour::g_folder);
    const std::string river = (examples / "sample-river.vqx").string();

    return screen_tour::WalkTourOnScreen(argv[0], river, [&](tour_steps::Observer& observer) {
        xsection_tour::Tour(screen_tour::g_folder, examples, observer).Run();
    });
}
