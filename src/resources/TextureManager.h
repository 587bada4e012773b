#pragma once
// The registry of named OpenGL textures: 2D textures and cube maps read from PNG files, found
// by name. One registry per OpenGL context; it must be used and destroyed on the thread whose
// context is current when it loads.
#include <GL/glew.h>

#include <deque>
#include <string>
#include <vector>

struct Vec3;

struct TextureRecord {
    std::string fileName;  // as given to load (for a cube map it is not itself read)
    std::string name;      // lookup key, case-sensitive
    int width = 0;         // of the image (cube map: of the first face)
    int height = 0;
    GLuint textureId = 0;
    // Sampling state, applied only by TextureManager::bind.
    GLenum wrapS = GL_REPEAT;
    GLenum wrapT = GL_REPEAT;
    GLenum minFilter = GL_LINEAR;
    GLenum magFilter = GL_LINEAR;
    // GL_TEXTURE_2D or GL_TEXTURE_CUBE_MAP: the target the texture object was created on.
    GLenum target = GL_TEXTURE_2D;
};

class TextureManager {
public:
    TextureManager() = default;
    // Deletes every texture object (one glDeleteTextures per record, in load order).
    ~TextureManager();
    TextureManager(const TextureManager&) = delete;
    TextureManager& operator=(const TextureManager&) = delete;

    // Reads fileName (a 2D texture) or, for a cube map, faceFiles in the order +X, -X, +Y, -Y,
    // +Z, -Z, and registers the texture under name. Returns 0 or the first non-zero code of
    // readPngImage. A failed 2D load makes no record and no OpenGL call; a cube map keeps its
    // record and the faces uploaded before the failing one. Uploads set no texture parameters.
    // An existing record of the same name is not replaced: lookups keep finding the first.
    int load(const std::string& fileName, const std::string& name,
             const Vec3* colourScale = nullptr, const Vec3* colourBias = nullptr,
             bool isCubeMap = false, const std::vector<std::string>& faceFiles = {});

    // The texture object of the first record with this name, or 0.
    GLuint textureId(const std::string& name) const;
    // The first record with this name, or null. The pointer stays valid while the registry
    // lives.
    const TextureRecord* find(const std::string& name) const;
    // Binds the named texture to its target (GL_TEXTURE_2D for 2D textures) and applies the
    // record's wrap and filter values. An unknown name changes no OpenGL state.
    void bind(const std::string& name) const;

    // The alpha of a 2D texture's first level as the driver holds it, width x height, the row
    // at t = 0 first; empty for an unknown name or a cube map. Leaves the 2D binding as it was.
    std::vector<unsigned char> readAlpha(const std::string& name, int* width, int* height) const;

    // All records, in load order.
    const std::deque<TextureRecord>& records() const { return records_; }

private:
    TextureRecord& addRecord(const std::string& fileName, const std::string& name, int width,
                             int height, GLenum target);

    // A deque, so that pointers handed out by find survive later loads.
    std::deque<TextureRecord> records_;
};
