// The scene registry, the timeline and the per-frame dispatch of the engine.
#include <GL/glew.h>
#include <SDL/SDL.h>

#include <algorithm>

#include "engine/Engine.h"
#include "engine/StageTimer.h"
#include "render/ScreenEffects.h"

namespace {

int positionOf(const std::vector<int>& list, int value) {
    auto it = std::find(list.begin(), list.end(), value);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

bool contains(const std::vector<int>& list, int value) { return positionOf(list, value) >= 0; }

void clearColourAndDepth() {
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClearDepth(1.0);
    glDepthMask(GL_TRUE);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

}  // namespace

EffectKind effectKindOf(const std::string& name) {
    if (name == "fade") return EffectKind::Fade;
    if (name == "fadeOn") return EffectKind::FadeOn;
    if (name == "fadeOff") return EffectKind::FadeOff;
    if (name == "blur") return EffectKind::Blur;
    return EffectKind::Unknown;
}

int Engine::registerScene(Scene* scene) {
    int id = sceneCount;
    scenes.push_back(SceneEntry{id, scene});
    ++sceneCount;
    return id;
}

int Engine::schedule(int sceneId, int startMs, int endMs) {
    Scene* scene = sceneById(sceneId);
    if (scene != nullptr) scheduleEntries.push_back(ScheduleEntry{scene, startMs, endMs});
    return 0;
}

int Engine::addEffect(const std::string& name, int inputA, int inputB, int startMs, int endMs,
                      const std::vector<float>* params) {
    std::string virtualName = "virtual" + std::to_string(virtualSceneCount);
    for (int input : {inputA, inputB}) {
        if (input == -1) continue;
        Scene* scene = sceneById(input);
        virtualName += "_" + (scene != nullptr ? scene->name : std::string());
    }
    const int outputId = sceneCount + virtualSceneCount;
    scenes.push_back(SceneEntry{outputId, new DefaultScene(this, virtualName)});
    ++virtualSceneCount;
    EffectEntry effect;
    effect.name = name;
    effect.kind = effectKindOf(name);
    if (params != nullptr) effect.params = *params;
    effect.inputA = inputA;
    effect.inputB = inputB;
    effect.startMs = startMs;
    effect.endMs = endMs;
    effect.outputId = outputId;
    effects.push_back(effect);
    return outputId;
}

Scene* Engine::sceneById(int id) const {
    if (id < 0 || id >= sceneCount + virtualSceneCount) return nullptr;
    for (const SceneEntry& entry : scenes)
        if (entry.id == id) return entry.scene;
    return nullptr;
}

int Engine::idOf(const Scene* scene) const {
    for (const SceneEntry& entry : scenes)
        if (entry.scene == scene) return entry.id;
    return -1;
}

FramePlan Engine::planFrame(int t) const {
    FramePlan plan;
    for (const ScheduleEntry& entry : scheduleEntries) {
        if (t < entry.startMs || t >= entry.endMs) continue;
        int id = idOf(entry.scene);
        if (id < sceneCount) {
            plan.scenes.push_back(entry.scene);
            plan.sceneIds.push_back(id);
        }
    }
    const int n = static_cast<int>(plan.sceneIds.size());
    for (const EffectEntry& effect : effects) {
        if (t < effect.startMs || t >= effect.endMs) continue;
        const int slotA = positionOf(plan.sceneIds, effect.inputA);
        const int slotB = positionOf(plan.sceneIds, effect.inputB);
        float p;
        if (t < effect.startMs)
            p = 0.0f;
        else if (t > effect.endMs)
            p = 1.0f;
        else
            p = static_cast<float>(t - effect.startMs) /
                static_cast<float>(effect.endMs - effect.startMs);
        plan.effects.push_back(FramePlan::Effect{&effect, slotA < 0 ? n : slotA, slotB < 0 ? n : slotB, p});
    }
    if (n == 0) return plan;  // nothing registered is active: the frame is only cleared

    for (int id : plan.sceneIds) {
        if (contains(plan.consumed, id)) continue;
        for (const FramePlan::Effect& effect : plan.effects)
            if (effect.entry->inputA == id || effect.entry->inputB == id) {
                plan.consumed.push_back(id);
                break;
            }
    }
    std::vector<int> outputs;
    for (const FramePlan::Effect& effect : plan.effects) outputs.push_back(effect.entry->outputId);
    plan.slotsNeeded = n + static_cast<int>(outputs.size());

    for (const ScheduleEntry& entry : scheduleEntries) {
        if (t < entry.startMs || t >= entry.endMs) continue;
        int id = idOf(entry.scene);
        if (contains(plan.consumed, id)) continue;
        int j = positionOf(plan.sceneIds, id);
        if (j < 0) {
            int w = positionOf(outputs, id);
            j = n + (w < 0 ? static_cast<int>(outputs.size()) : w);
        }
        plan.layerIds.push_back(id);
        plan.layerSlots.push_back(j);
    }
    plan.onlyLayerInFrameBuffer =
        plan.effects.empty() && plan.layerSlots.size() == 1 && plan.layerSlots[0] == n - 1;
    return plan;
}

std::string Engine::sceneOnTop(int t) const {
    const FramePlan plan = planFrame(t);
    if (plan.scenes.empty() || plan.layerIds.empty()) return std::string();
    int id = plan.layerIds.back();
    for (const EffectEntry& effect : effects)
        if (effect.outputId == id) id = effect.inputA;
    const Scene* scene = id < sceneCount ? sceneById(id) : nullptr;
    return scene != nullptr ? scene->name : std::string();
}

std::vector<int> Engine::sceneBoundaries() const {
    std::vector<int> times;
    for (const ScheduleEntry& entry : scheduleEntries) {
        const int id = idOf(entry.scene);
        if (id <= 0 || id >= sceneCount) continue;
        times.push_back(entry.startMs);
        times.push_back(entry.endMs);
    }
    std::sort(times.begin(), times.end());
    times.erase(std::unique(times.begin(), times.end()), times.end());
    return times;
}

int Engine::renderFrame() {
    if (!started) {
        seekedThisFrame = false;
        return 1;
    }
    const int t = readDemoTime();
    currentTimeMs = t;
    frameDeltaMs = t - lastTimeMs;
    lastTimeMs = t;

    if (pacingEnabled) {
        if (frameDeltaMs == 0) SDL_Delay(10);
        if (!seekedThisFrame && frameDeltaMs <= 9) SDL_Delay(static_cast<Uint32>(10 - frameDeltaMs));
        SDL_Delay(1);
    }

    const FramePlan plan = planFrame(t);
    stagetimer::beginFrame();
    ScreenEffects* fx = screenEffects;
    if (fx != nullptr) fx->workSlotBase = static_cast<int>(plan.scenes.size());
    glViewport(0, 0, renderWidth, renderHeight);

    bool upscaled = false;
    if (plan.scenes.empty() || fx == nullptr) {
        // Fused: the finished frame's target (the last slot, or the window itself).
        if (fx != nullptr) {
            fx->useSmallTextures = 0;
            fx->drawInto(needsUpscale ? fx->slotCount - 1 : -1);
        }
        clearColourAndDepth();
    } else {
        // The only layer needs no copy of its own: it is drawn from the frame buffer. (On the
        // fused path nothing is copied anyway.)
        const bool layerInPlace =
            plan.onlyLayerInFrameBuffer && fx->canPremultiplyInPlace() && !fx->fused();
        drawScenes(plan, *fx, layerInPlace);
        applyEffects(plan, *fx);
        // Fused: a single layer is stretched to the window straight from its slot.
        if (fx->fused() && needsUpscale && plan.layerSlots.size() == 1 &&
            fx->validSlot(plan.layerSlots[0])) {
            fx->upscaleLayer(plan.layerSlots[0], windowWidth, windowHeight);
            stagetimer::mark("upscale");
            upscaled = true;
        } else {
            drawLayers(plan, *fx, layerInPlace);
        }
    }
    if (needsUpscale && fx != nullptr && !upscaled) upscale(*fx);
    seekedThisFrame = false;

    // The driver allocates and frees short-lived blocks for every pass and copy. The C library
    // keeps the pages they leave free inside its heap, and after loading, which frees images of
    // several MiB, it keeps a free top of the heap up to twice that size too, so the resident
    // memory would climb to every new high-water mark of those blocks and stay there.
    heapReleasedThisFrame = ++framesSinceHeapRelease >= kFramesBetweenHeapReleases;
    if (heapReleasedThisFrame) {
        releaseFreeHeapPages();
        framesSinceHeapRelease = 0;
        stagetimer::mark("heap release");
    }
    return 1;
}

// Every active scene drawn into the frame buffer and copied into its slot. (Fused: drawn into
// its slot's target, where it needs no copy.)
void Engine::drawScenes(const FramePlan& plan, ScreenEffects& fx, bool layerInPlace) {
    const int n = static_cast<int>(plan.scenes.size());
    for (int i = 0; i < n; ++i) {
        fx.useSmallTextures = 0;
        fx.drawInto(i);
        clearColourAndDepth();
        stagetimer::setScene(plan.scenes[i]->name);
        plan.scenes[i]->render(currentTimeMs, frameDeltaMs);
        stagetimer::mark("other drawing");
        fx.useSmallTextures = 0;
        if (!(layerInPlace && i == n - 1)) fx.grab(i);
        stagetimer::mark("grab");
        stagetimer::setScene("");
    }
    glDisable(GL_DEPTH_TEST);
}

// Each active effect turns the slots of its inputs into the slot after the scenes' ones.
void Engine::applyEffects(const FramePlan& plan, ScreenEffects& fx) {
    const int n = static_cast<int>(plan.scenes.size());
    for (size_t k = 0; k < plan.effects.size(); ++k) {
        const FramePlan::Effect& planned = plan.effects[k];
        const float p = planned.progress;
        fx.useSmallTextures = 0;
        // An input not drawn this frame reads the first effect's slot: a target cannot be read
        // while it is drawn into, so such an effect is drawn aside and copied.
        const int out = n + static_cast<int>(k);
        if (planned.slotA == out || planned.slotB == out)
            fx.drawIntoCanvas();
        else
            fx.drawInto(out);
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        const std::vector<float>& q = planned.entry->params;
        auto param = [&q](size_t i, float fallback) { return i < q.size() ? q[i] : fallback; };
        // A fade's first parameter: 1 replaces what is there, 0 adds to it.
        const FadeBlend fade =
            static_cast<int>(param(0, 0.0f)) == 1 ? FadeBlend::Replace : FadeBlend::Add;
        switch (planned.entry->kind) {
        case EffectKind::Fade: fx.crossFade(p, planned.slotA, planned.slotB); break;
        case EffectKind::FadeOn: fx.fadeGrab(planned.slotA, p, fade); break;
        case EffectKind::FadeOff: fx.fadeGrab(planned.slotA, 1.0f - p, fade); break;
        case EffectKind::Blur:
            fx.blur(planned.slotA, p, static_cast<int>(param(0, 5.0f)), param(1, 0.25f),
                    param(2, 0.25f), param(3, 1.0f), param(4, 1.0f), param(5, 1.0f),
                    param(6, 1.0f), param(7, 0.0f));
            break;
        case EffectKind::Unknown: break;
        }
        fx.grab(out);
    }
    stagetimer::mark("effects");
}

// The visible slots over each other, bottom first.
void Engine::drawLayers(const FramePlan& plan, ScreenEffects& fx, bool layerInPlace) {
    // Fused: into the finished frame's target, the last slot (drawn aside and copied where a
    // layer shows that slot), or the window itself where nothing is stretched.
    fx.useSmallTextures = 0;
    const int last = fx.slotCount - 1;
    const bool readsLast =
        std::find(plan.layerSlots.begin(), plan.layerSlots.end(), last) != plan.layerSlots.end();
    if (!needsUpscale)
        fx.drawInto(-1);
    else if (readsLast)
        fx.drawIntoCanvas();
    else
        fx.drawInto(last);
    glDisable(GL_BLEND);
    if (layerInPlace)
        fx.premultiplyInPlace(plan.layerSlots[0]);
    else
        fx.drawLayers(plan.layerSlots);
    if (fx.fused() && needsUpscale && readsLast) fx.grab(last);
    stagetimer::mark("layers");
}

// The render-size picture stretched to the window.
void Engine::upscale(ScreenEffects& fx) {
    fx.useSmallTextures = 0;
    fx.grab(fx.slotCount - 1);
    // No clear first: the stretched picture covers the whole window with blending off.
    fx.drawInto(-1);
    glViewport(0, 0, windowWidth, windowHeight);
    fx.drawGrab(fx.slotCount - 1, Blend::Off);
    stagetimer::mark("upscale");
}
