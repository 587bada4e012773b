#include "render/Shader.h"

#include <cstring>
#include <vector>

#include "render/ShaderSources.h"  // generated at build time from src/render/shaders/*.glsl

const char* shaderSource(const std::string& fileName) {
    for (const EmbeddedShader& shader : kEmbeddedShaders)
        if (fileName == shader.fileName) return shader.text;
    return nullptr;
}

namespace {

// The first line of a driver's log, enough to find the fault; the log can be long.
std::string firstLine(const std::vector<char>& log) {
    std::string text(log.data());
    while (!text.empty() && (text[0] == '\n' || text[0] == ' ')) text.erase(0, 1);
    const size_t end = text.find('\n');
    return end == std::string::npos ? text : text.substr(0, end);
}

GLuint compileStage(GLenum stage, const char* source, std::string* complaint) {
    GLuint shader = glCreateShader(stage);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok == GL_TRUE) return shader;
    GLint length = 0;
    glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &length);
    std::vector<char> log(static_cast<size_t>(length > 0 ? length : 1) + 1, '\0');
    glGetShaderInfoLog(shader, length, nullptr, log.data());
    *complaint = firstLine(log);
    glDeleteShader(shader);
    return 0;
}

}  // namespace

Shader::~Shader() {
    if (program_ != 0) glDeleteProgram(program_);
}

bool Shader::build(const std::string& name, const char* vertexSource, const char* fragmentSource,
                   std::string* error) {
    if (program_ != 0) glDeleteProgram(program_);
    program_ = 0;
    name_ = name;
    std::string complaint;
    if (vertexSource == nullptr || fragmentSource == nullptr) {
        if (error) *error = "shader " + name + ": no source";
        return false;
    }
    GLuint vertex = compileStage(GL_VERTEX_SHADER, vertexSource, &complaint);
    if (vertex == 0) {
        if (error) *error = "shader " + name + ": vertex stage: " + complaint;
        return false;
    }
    GLuint fragment = compileStage(GL_FRAGMENT_SHADER, fragmentSource, &complaint);
    if (fragment == 0) {
        glDeleteShader(vertex);
        if (error) *error = "shader " + name + ": fragment stage: " + complaint;
        return false;
    }
    GLuint program = glCreateProgram();
    glAttachShader(program, vertex);
    glAttachShader(program, fragment);
    glLinkProgram(program);
    // The program keeps what it needs of the stages.
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    GLint ok = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (ok != GL_TRUE) {
        GLint length = 0;
        glGetProgramiv(program, GL_INFO_LOG_LENGTH, &length);
        std::vector<char> log(static_cast<size_t>(length > 0 ? length : 1) + 1, '\0');
        glGetProgramInfoLog(program, length, nullptr, log.data());
        if (error) *error = "shader " + name + ": link: " + firstLine(log);
        glDeleteProgram(program);
        return false;
    }
    program_ = program;
    return true;
}

bool Shader::buildFromFiles(const std::string& vertexFile, const std::string& fragmentFile,
                            std::string* error) {
    const char* vertex = shaderSource(vertexFile);
    const char* fragment = shaderSource(fragmentFile);
    if (vertex == nullptr || fragment == nullptr) {
        if (error)
            *error = "shader " + vertexFile + " + " + fragmentFile + ": " +
                     (vertex == nullptr ? vertexFile : fragmentFile) + " is not built in";
        return false;
    }
    return build(vertexFile + " + " + fragmentFile, vertex, fragment, error);
}

void Shader::use() const { glUseProgram(program_); }

void Shader::useNone() { glUseProgram(0); }

GLint Shader::uniform(const char* name) const {
    return program_ != 0 ? glGetUniformLocation(program_, name) : -1;
}

void Shader::set(const char* name, int value) const { glUniform1i(uniform(name), value); }

void Shader::set(const char* name, float value) const { glUniform1f(uniform(name), value); }

void Shader::set(const char* name, float x, float y) const { glUniform2f(uniform(name), x, y); }

void Shader::set(const char* name, float x, float y, float z) const {
    glUniform3f(uniform(name), x, y, z);
}

void Shader::set(const char* name, float x, float y, float z, float w) const {
    glUniform4f(uniform(name), x, y, z, w);
}

void Shader::setVec2Array(const char* name, const float* xy, int count) const {
    glUniform2fv(uniform(name), count, xy);
}
