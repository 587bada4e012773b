#pragma once
// Where the time of a frame goes, stage by stage (shadow maps, masks, blurs, composition, ...),
// for the benchmark. Off by default: a mark is then one test of a flag. When on, every mark
// waits for the driver to finish (glFinish) and charges the time since the previous mark to the
// stage it names, under the scene being drawn, so that the stages of a frame add up to the
// frame. The waits take away the overlap between the program and the driver's threads, so a
// timed run is a little slower than a plain one; compare stages with stages.
#include <string>
#include <vector>

namespace stagetimer {

void enable(bool on);
bool enabled();

// Starts a frame: the next mark measures from here.
void beginFrame();
// The scene whose stages the following marks belong to ("" for the frame's own steps).
void setScene(const std::string& name);
// Ends the stage named stage (a literal; it is kept by pointer until the table is read).
void mark(const char* stage);

struct StageRow {
    std::string scene;
    std::string stage;
    double msPerFrame;  // mean over the frames in which the stage ran
    long frames;
};
// The stages in the order they first ran.
std::vector<StageRow> table();

}  // namespace stagetimer
