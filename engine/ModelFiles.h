// Model files: the .vqx text format read into and written from the engine data.
#pragma once

#include <cstdio>

// Reads a whole model from an open stream and closes it. 0, the header's error code, or -1
// when no stream is given.
int ReadModelFile(std::FILE* stream);
// Writes the engine data as a model file and closes the stream.
int WriteModelFile(std::FILE* stream);
