// The program: vasquil [MODEL.vqx]
#include "app/PlaceholderView.h"
#include "app/VasquilApp.h"

// The application object exists before the program's entry runs.
CVasquilApp theApp(&CPlaceholderView::Runtime);

int main(int argc, char** argv)
{
    return theApp.Run(argc, argv);
}
