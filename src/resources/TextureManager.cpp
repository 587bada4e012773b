#include "resources/TextureManager.h"

#include "resources/PngImage.h"

#include <cstdint>

namespace {
// Six faces, in the order of the cube map targets from GL_TEXTURE_CUBE_MAP_POSITIVE_X on.
constexpr std::size_t kCubeFaces = 6;
}  // namespace

TextureManager::~TextureManager() {
    for (const TextureRecord& record : records_) glDeleteTextures(1, &record.textureId);
}

TextureRecord& TextureManager::addRecord(const std::string& fileName, const std::string& name,
                                         int width, int height, GLenum target) {
    TextureRecord record;
    record.fileName = fileName;
    record.name = name;
    record.width = width;
    record.height = height;
    record.target = target;
    glGenTextures(1, &record.textureId);
    records_.push_back(record);
    return records_.back();
}

int TextureManager::load(const std::string& fileName, const std::string& name,
                         const Vec3* colourScale, const Vec3* colourBias, bool isCubeMap,
                         const std::vector<std::string>& faceFiles) {
    std::vector<unsigned char> pixels;
    std::uint32_t width = 0, height = 0;

    if (!isCubeMap) {
        int result = readPngImage(fileName, pixels, width, height, colourScale, colourBias);
        if (result != TextureResult::Ok) return result;
        const TextureRecord& record = addRecord(fileName, name, static_cast<int>(width),
                                                static_cast<int>(height), GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, record.textureId);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, static_cast<GLsizei>(width),
                     static_cast<GLsizei>(height), 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        return TextureResult::Ok;
    }

    // A cube map has six faces; further entries have no target to go to and are not read.
    GLuint id = 0;
    for (std::size_t face = 0; face < faceFiles.size() && face < kCubeFaces; ++face) {
        int result =
            readPngImage(faceFiles[face], pixels, width, height, colourScale, colourBias);
        if (result != TextureResult::Ok) return result;
        if (face == 0)
            id = addRecord(fileName, name, static_cast<int>(width), static_cast<int>(height),
                           GL_TEXTURE_CUBE_MAP)
                     .textureId;
        glBindTexture(GL_TEXTURE_CUBE_MAP, id);
        glTexImage2D(static_cast<GLenum>(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face), 0, GL_RGBA,
                     static_cast<GLsizei>(width), static_cast<GLsizei>(height), 0, GL_RGBA,
                     GL_UNSIGNED_BYTE, pixels.data());
    }
    return TextureResult::Ok;
}

std::vector<unsigned char> TextureManager::readAlpha(const std::string& name, int* width,
                                                     int* height) const {
    *width = *height = 0;
    const TextureRecord* record = find(name);
    if (record == nullptr || record->target != GL_TEXTURE_2D) return {};
    GLint bound = 0, w = 0, h = 0, packAlignment = 4;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    glGetIntegerv(GL_PACK_ALIGNMENT, &packAlignment);
    glBindTexture(GL_TEXTURE_2D, record->textureId);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
    std::vector<unsigned char> alpha;
    if (w > 0 && h > 0) {
        alpha.resize(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_ALPHA, GL_UNSIGNED_BYTE, alpha.data());
        glPixelStorei(GL_PACK_ALIGNMENT, packAlignment);
        *width = w;
        *height = h;
    }
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(bound));
    return alpha;
}

const TextureRecord* TextureManager::find(const std::string& name) const {
    for (const TextureRecord& record : records_)
        if (record.name == name) return &record;
    return nullptr;
}

GLuint TextureManager::textureId(const std::string& name) const {
    const TextureRecord* record = find(name);
    return record != nullptr ? record->textureId : 0;
}

void TextureManager::bind(const std::string& name) const {
    const TextureRecord* record = find(name);
    if (record == nullptr) return;
    glBindTexture(record->target, record->textureId);
    glTexParameteri(record->target, GL_TEXTURE_WRAP_S, static_cast<GLint>(record->wrapS));
    glTexParameteri(record->target, GL_TEXTURE_WRAP_T, static_cast<GLint>(record->wrapT));
    glTexParameteri(record->target, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(record->minFilter));
    glTexParameteri(record->target, GL_TEXTURE_MAG_FILTER, static_cast<GLint>(record->magFilter));
}
