// The program: vasquil [MODEL.vqx]
#include "app/VasquilApp.h"
#include "views/VasquilView.h"

// The application object exists before the program's entry runs.
CVasquilApp theApp(&CVasquilView::Runtime);

int main(int argc, char** argv)
{
    return theApp.Run(argc, argv);
}
