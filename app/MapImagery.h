// Georeferenced map imagery: the world file, six numbers that place a map image in the
// model's plan coordinates, and the messages of a map image or world file that does not load.
//
// A world file is text: numbers separated by white space, read one after another as written
// in any locale. The first six are, in order, A the x pixel width, D the y skew, B the x
// skew, E the y pixel width (negative for a map whose rows run southward), C the easting and
// F the northing of the upper left corner; more numbers are ignored.
#pragma once

#include <array>
#include <filesystem>

inline constexpr int WorldFileValueCount = 6;
using WorldFileValues = std::array<double, WorldFileValueCount>;

// Results of ReadWorldFile; WorldFileMessage gives each failure's message.
enum WorldFileResult {
    WorldFileOk = 0,
    WorldFileUnreadable = 1,  // not there, a folder, or it could not be read
    WorldFileEmpty = 2,       // no characters at all
    WorldFileTooFew = 3,      // fewer than six numbers before the first word, end or number that is
                              // not finite or lies beyond a double
};

// Reads numbers from the start of the file until one does not read or the file ends. Returns
// WorldFileOk when six or more were read, with the first six in values; otherwise a failure,
// with the numbers read before it in values and the rest 0.
int ReadWorldFile(const std::filesystem::path& path, WorldFileValues* values);

// The message of a failed ReadWorldFile; empty for WorldFileOk.
const char* WorldFileMessage(int result);

// The message of a map image that does not load.
inline constexpr const char* MapImageNotLoadedText = "Map Imagery File did not load. Please check file and try again.";
