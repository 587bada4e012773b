#pragma once
#include <GL/glew.h>

#include <string>

// The GLSL sources built into the program, by file name ("screen_quad.vert.glsl"); null for a
// name that is not there. The files live in src/render/shaders/.
const char* shaderSource(const std::string& fileName);

// One GLSL 1.20 program of the fused path: a vertex and a fragment stage, compiled and linked
// once, with its uniforms looked up by name.
//
// State: use() makes it the current program; the fixed-function pipeline is back only after
// Shader::useNone(). set() changes a uniform of the program in use.
class Shader {
public:
    Shader() = default;
    ~Shader();
    Shader(const Shader&) = delete;
    Shader& operator=(const Shader&) = delete;

    // Compiles both stages from their sources and links them. False, with a one-line message
    // naming the program and the driver's first complaint, when either fails.
    bool build(const std::string& name, const char* vertexSource, const char* fragmentSource,
               std::string* error);
    // The same from the built-in files.
    bool buildFromFiles(const std::string& vertexFile, const std::string& fragmentFile,
                        std::string* error);
    bool valid() const { return program_ != 0; }

    void use() const;
    static void useNone();

    // -1 when the program has no active uniform of that name (a uniform the compiler dropped
    // is set without effect, as OpenGL does with -1).
    GLint uniform(const char* name) const;
    void set(const char* name, int value) const;
    void set(const char* name, float value) const;
    void set(const char* name, float x, float y) const;
    void set(const char* name, float x, float y, float z) const;
    void set(const char* name, float x, float y, float z, float w) const;
    // An array of vec2.
    void setVec2Array(const char* name, const float* xy, int count) const;

    GLuint program() const { return program_; }
    const std::string& name() const { return name_; }

private:
    GLuint program_ = 0;
    std::string name_;
};
