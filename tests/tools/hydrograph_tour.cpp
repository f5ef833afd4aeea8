// Starts vasquil on the sample river as a user would and walks through the hydrograph view
// (tests/tools/HydrographTour.h: options, output options, a transient run, the discharge as
// Qflux and as nodal Qw, then the thermal sample's air temperature), saving the screen at every
// stop. Run it on a display (a virtual one under xvfb-run) to see what a user sees.
//
//   hydrograph_tour RIVER.vqx THERMAL.vqx OUTPUT_FOLDER
//
// Writes OUTPUT_FOLDER/NN-name.png (and the run's database); the exit status is 0 when every
// check held and every picture was saved and shows more than a blank screen.
#include "HydrographTour.h"
#include "ProgramTour.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: hydrograph_tour RIVER.vqx THERMAL.vqx OUTPUT_FOLDER\n");
        return 1;
    }
    const std::filesystem::path thermal = argv[2];
    screen_tour::g_folder = argv[3];
    std::filesystem::create_directories(screen_tour::g_folder);

    return screen_tour::WalkTourOnScreen(argv[0], argv[1], [&](tour_steps::Observer& observer) {
        hydrograph_tour::Tour(screen_tour::g_folder, thermal, observer).Run();
    });
}
