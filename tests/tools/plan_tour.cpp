// Starts vasquil on a model as a user would and walks through the plan view (tests/tools/
// PlanTour.h: map imagery, options, zooms, a transient run), saving the screen at every stop.
// Run it on a display (a virtual one under xvfb-run) to see what a user sees.
//
//   plan_tour MODEL.vqx OUTPUT_FOLDER
//
// Writes OUTPUT_FOLDER/NN-name.png (and the map, its world file and the run's database); the
// exit status is 0 when every check held and every picture was saved and shows more than a
// blank screen.
#include "PlanTour.h"
#include "ProgramTour.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: plan_tour MODEL.vqx OUTPUT_FOLDER\n");
        return 1;
    }
    screen_tour::g_folder = argv[2];
    std::filesystem::create_directories(screen_tour::g_folder);

    return screen_tour::WalkTourOnScreen(argv[0], argv[1], [&](tour_steps::Observer& observer) {
        observer.Shot("open");
        plan_tour::Tour(screen_tour::g_folder, observer).Run();
    });
}
