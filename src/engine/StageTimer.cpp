#include "engine/StageTimer.h"

#include <GL/glew.h>

#include <chrono>
#include <cstring>

namespace stagetimer {
namespace {

struct Stage {
    std::string scene;
    const char* name;
    double ms = 0.0;
    long frames = 0;
};

bool on = false;
std::string currentScene;
std::vector<Stage> stages;
std::chrono::steady_clock::time_point last;

double sinceLast() {
    const auto now = std::chrono::steady_clock::now();
    const double ms = std::chrono::duration<double, std::milli>(now - last).count();
    last = now;
    return ms;
}

}  // namespace

void enable(bool value) { on = value; }

bool enabled() { return on; }

void beginFrame() {
    if (!on) return;
    glFinish();
    currentScene.clear();
    last = std::chrono::steady_clock::now();
}

void setScene(const std::string& name) {
    if (on) currentScene = name;
}

void mark(const char* stage) {
    if (!on) return;
    glFinish();
    const double ms = sinceLast();
    for (Stage& s : stages) {
        if (std::strcmp(s.name, stage) == 0 && s.scene == currentScene) {
            s.ms += ms;
            ++s.frames;
            return;
        }
    }
    stages.push_back(Stage{currentScene, stage, ms, 1});
}

std::vector<StageRow> table() {
    std::vector<StageRow> rows;
    for (const Stage& s : stages)
        rows.push_back(StageRow{s.scene, s.name, s.ms / static_cast<double>(s.frames), s.frames});
    return rows;
}

}  // namespace stagetimer
