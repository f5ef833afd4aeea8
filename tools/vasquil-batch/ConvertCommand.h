// vasquil-batch convert: a HEC-RAS geometry file converted into a model file.
#pragma once

// The usage lines of the command.
extern const char* const ConvertUsage;

// Runs "vasquil-batch convert ..." (argv[1] is "convert"). Returns 0 when the model was
// written (the notes on standard output), 1 when the conversion failed and 2 for a command
// line that cannot be understood, each failure one line on standard error.
int RunConvertCommand(int argc, char** argv);
