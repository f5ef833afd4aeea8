// Finite-element framework shared by the four equation systems.
#pragma once

int AssembleProfileMatrix(int system);
