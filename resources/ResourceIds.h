// Ids of the program's resources and commands, shared by the resource tables, the code that
// handles them and the tests.
#pragma once
