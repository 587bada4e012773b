#pragma once
#include <string>
#include <vector>

#include "engine/Scene.h"
#include "frame/Stopwatch.h"

class BitmapFont;
class Camera;
class ScreenEffects;
class SoundLayer;
class TextureManager;

struct SceneEntry {
    int id;
    Scene* scene;
};

struct ScheduleEntry {
    Scene* scene;
    int startMs;
    int endMs;
};

// The operations a timeline effect can be, from its name.
enum class EffectKind {
    Fade,     // "fade": from input A to input B
    FadeOn,   // "fadeOn": input A appears
    FadeOff,  // "fadeOff": input A goes
    Blur,     // "blur": input A blurred
    Unknown,  // any other name: the effect's slot stays empty
};
EffectKind effectKindOf(const std::string& name);

struct EffectEntry {
    std::string name;
    EffectKind kind = EffectKind::Unknown;  // from the name, once
    std::vector<float> params;
    int inputA;
    int inputB;
    int startMs;
    int endMs;
    int outputId;
};

// The dispatch's decisions for one frame, computed from the timeline alone.
struct FramePlan {
    std::vector<Scene*> scenes;        // K: registered scenes to render, in schedule order
    std::vector<int> sceneIds;         // O: their ids
    struct Effect {
        const EffectEntry* entry;
        int slotA;       // the slots its inputs were drawn into
        int slotB;
        float progress;  // 0 at its start, towards 1 at its end
    };
    std::vector<Effect> effects;       // N: active effects, in effect-list order
    std::vector<int> consumed;         // C: scene ids hidden because an effect reads them
    std::vector<int> layerIds;         // A: visible layers, bottom first
    std::vector<int> layerSlots;       // the slot each visible layer shows
    int slotsNeeded = 0;               // scene and effect slots written this frame
    // The one visible layer is the picture of the last scene drawn, with no effect in between:
    // it is still in the frame buffer when the layers are drawn.
    bool onlyLayerInFrameBuffer = false;
};

// The power-of-two texture size for a render size: the smallest not below it when the render
// size is kept exactly, else the largest not above it (which then becomes the render size).
int powerOfTwoTextureSize(int renderSize, bool exactRenderSize);

// The next engine draws at its render size itself instead of the largest power-of-two area
// inside it (--native). Needs the fused path: an engine that cannot draw that way ends the
// process with status 2.
void requestNativeRenderSize(bool native);

// Gives the pages that the C library's heap holds free back to the system.
void releaseFreeHeapPages();

// Frames between two such releases while the production plays: about a second at 60 frames a
// second.
const int kFramesBetweenHeapReleases = 60;

// The length of the production: the real-time run ends once the demo time is past it, offline
// runs end before it unless told otherwise.
const int kRunEndMs = 253000;

// Where the demo clock comes from.
enum class ClockSource {
    Stopwatch,  // no music: a millisecond stopwatch
    Music,      // the playback position of the music
    Fixed,      // offline rendering: the caller sets the time of every frame
};

// The runtime every scene hangs on: window and render sizes, the demo clock on the music or a
// stopwatch, cameras, fonts, textures, and the timeline with its per-frame dispatch.
class Engine {
public:
    Engine(const std::string& caption, int windowWidth, int windowHeight, int renderWidth,
           int renderHeight, bool exactRenderSize, int colourDepth, bool fullscreen,
           bool extraFlag, bool musicWanted);
    virtual ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    virtual int loadContent() = 0;

    // Clock.
    bool loadMusic(const std::string& fileName);
    int start();
    // start, then the clock jumps to fromMs (the music too): the first frame is drawn there
    // with no time passed for the scenes, as an offline run starts.
    int startFrom(int fromMs);
    int currentTime();
    int seek(int deltaMs);
    // The clock to targetMs, within the limits a seek has.
    int seekTo(long long targetMs);
    int pause();
    int resume();
    bool isPaused() const { return paused; }
    // Fills values magnitudes of the music heard at the current demo time; zeros without music.
    int getSpectrum(float* values, int windowType, int count, int channelOffset);
    // Offline rendering: the demo time is what setFixedTime last set. The music (if loaded)
    // stays silent and only feeds the spectrum.
    void useFixedClock();
    void setFixedTime(int ms);

    BitmapFont* font();
    Camera* createCamera(const std::string& name, float nearPlane, float farPlane, float fov,
                         float aspect);
    Camera* findCamera(const std::string& name) const;

    // Timeline.
    int registerScene(Scene* scene);
    int schedule(int sceneId, int startMs, int endMs);
    int addEffect(const std::string& name, int inputA, int inputB, int startMs, int endMs,
                  const std::vector<float>* params = nullptr);
    Scene* sceneById(int id) const;
    int idOf(const Scene* scene) const;
    FramePlan planFrame(int timeMs) const;
    int renderFrame();
    // The scene a viewer sees on top at timeMs (the input of an effect for the effect's
    // output), "" when nothing is shown.
    std::string sceneOnTop(int timeMs) const;
    // Every time at which a registered scene is scheduled to start or end, in order.
    std::vector<int> sceneBoundaries() const;

    std::string caption;
    int renderWidth = 0, renderHeight = 0;
    int windowWidth = 0, windowHeight = 0;
    TextureManager* textures = nullptr;
    std::vector<Camera*> cameras;
    int colourDepth = 0;
    bool fullscreen = false;
    bool extraFlag = false;
    bool needsUpscale = false;
    bool seekedThisFrame = false;
    int framesSinceHeapRelease = 0;
    bool heapReleasedThisFrame = false;
    int textureWidth = 1, textureHeight = 1;
    int smallTextureWidth = 0, smallTextureHeight = 0;
    int viewWidth = 0, viewHeight = 0;
    int smallViewWidth = 0, smallViewHeight = 0;
    BitmapFont* fontShadow = nullptr;    // "basicOutputFont"
    BitmapFont* fontNoShadow = nullptr;  // "basicOutputFontNoShadow"
    bool useNoShadowFont = false;
    ScreenEffects* screenEffects = nullptr;
    bool soundSystemCreated = false;
    SoundLayer* sound = nullptr;
    bool musicWanted = true;
    bool musicPlaying = false;
    unsigned musicLengthMs = 0;
    Stopwatch clock;
    ClockSource clockSource = ClockSource::Stopwatch;
    // The music has played to its end (a short or broken file): the stopwatch carries the demo
    // time on from the music's length until a seek goes back into the music.
    bool musicEnded = false;
    int fixedTimeMs = 0;
    bool started = false;
    bool paused = false;
    int currentTimeMs = 0;
    int lastTimeMs = 0;
    int frameDeltaMs = 0;
    int sceneCount = 0, virtualSceneCount = 0;
    std::vector<SceneEntry> scenes;
    std::vector<ScheduleEntry> scheduleEntries;
    std::vector<EffectEntry> effects;
    // False when construction stopped early (render size 0 or less, or no window).
    bool ready = false;
    // Sleeps of the frame pacing; tests and offline rendering turn them off.
    bool pacingEnabled = true;

protected:
    int readDemoTime();
    // The steps of renderFrame.
    void drawScenes(const FramePlan& plan, ScreenEffects& fx, bool layerInPlace);
    void applyEffects(const FramePlan& plan, ScreenEffects& fx);
    void drawLayers(const FramePlan& plan, ScreenEffects& fx, bool layerInPlace);
    void upscale(ScreenEffects& fx);
    // Deletes every scene, effect and camera, leaving an empty registry and timeline.
    void clearScore();
};
