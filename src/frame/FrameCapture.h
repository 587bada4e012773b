#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Reads the window's back buffer (width x height, RGB) into pixels, top row first.
void readBackBuffer(int width, int height, std::vector<uint8_t>* pixels);

// Writes 8-bit RGB pixels (top row first) as a PNG file; false with a reason when it cannot.
bool writeRgbPng(const std::string& path, int width, int height, const std::vector<uint8_t>& pixels,
                 std::string* error);

// Name of frame k of a capture: DIR/frame-NNNNNN.png.
std::string captureFrameName(const std::string& dir, int k);

// The frame-*.png entries of dir that are not folders, as full paths, sorted; none when dir
// cannot be read.
std::vector<std::string> captureFramesIn(const std::string& dir);

// Demo time of frame k at fps frames per second from fromMs: no drift accumulates.
int captureFrameTime(int fromMs, int k, int fps);
