// What the benchmarks of the application and the views share: the New command's trapezoidal
// channel of a given number of nodes as a model file.
#pragma once

#include "datalib/NewChannelModel.h"

#include <filesystem>
#include <string>
#include <system_error>

#include <unistd.h>

namespace benchsupport {

// The channel's file in the temporary folder under a name of the benchmark's own, written
// once per node count; an empty path when it could not be written.
inline std::filesystem::path ChannelFile(const std::string& bench, int nodes)
{
    const std::filesystem::path path = std::filesystem::temp_directory_path() /
                                       ("vasquil-" + bench + "-bench-" + std::to_string(::getpid()) + "-" +
                                        std::to_string(nodes) + ".vqx");
    if (!std::filesystem::exists(path)) {
        NewChannelShape shape;
        shape.NodeCount = nodes;
        std::string reason;
        if (SaveNewChannelModel(path, shape, {2024, 1, 1, 0, 0, 0}, &reason) != NewChannelOk) return {};
    }
    return path;
}

// Removes the channel files of the node counts.
inline void RemoveChannelFiles(const std::string& bench, std::initializer_list<int> nodeCounts)
{
    for (int nodes : nodeCounts) {
        std::error_code ignored;
        std::filesystem::remove(ChannelFile(bench, nodes), ignored);
    }
}

}  // namespace benchsupport
