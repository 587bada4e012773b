#pragma once
#include <set>
#include <string>
#include <vector>

#include "engine/Engine.h"

// The production: its textures, its sixteen scenes and its score.
class Demo : public Engine {
public:
    Demo(int windowWidth, int windowHeight, int renderWidth, int renderHeight,
         bool exactRenderSize, int colourDepth, bool fullscreen, bool extraFlag, bool musicWanted);
    // How the program makes it: rendered at the window's size (its power-of-two area inside),
    // 32-bit colour.
    Demo(int windowWidth, int windowHeight, bool fullscreen, bool musicWanted)
        : Demo(windowWidth, windowHeight, windowWidth, windowHeight, false, 32, fullscreen, false,
               musicWanted) {}

    int loadContent() override;

    // Registers every scene and writes the whole timeline. With placeholders, each scene is an
    // empty scene carrying its title (no OpenGL needed): the score can be inspected without a
    // window.
    void buildScore(bool placeholders);

    // The production from its beginning as it was first built: every scene (meshes, cameras,
    // the shared random sequence) is made again and the clock, the music with it, goes to
    // fromMs (0: the very beginning).
    void restart(int fromMs = 0);

    // One line per interval of the score: "FROM TO: " and the visible layers, bottom first.
    std::vector<std::string> describeScore(int endMs) const;

    // A scene of the score and the time it is on (start inclusive, end exclusive, in ms).
    struct SceneSpan {
        std::string title;
        int startMs;
        int endMs;
    };
    // Every scene of the score, read from the table that builds it, in order of its start.
    static std::vector<SceneSpan> sceneSpans();

    // The image files the texture table loads (faces of cube maps included), by file name.
    static std::set<std::string> textureFiles();

    static const char* const kMusicFile;
    static const int kSceneCount = 16;
    static const char* const kSceneTitles[kSceneCount];

private:
    void loadTextures();
    Scene* createScene(int index);
    void buildTimeline();
    std::string layerLabel(int id) const;
};
