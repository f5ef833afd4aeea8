#include "resources/Resources.h"

void RegisterProgramResources()
{
    static bool registered = false;
    if (registered) return;
    registered = true;
    for (const ResourceSet& set : {MainMenuResources(), ToolbarResources(), StringResources(), AboutBoxResources(), CursorResources()})
        RegisterResources(set);
}
