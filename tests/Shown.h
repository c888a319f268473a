// A voltage as the pages show it: up to six significant digits ("%.6g").
#pragma once

#include <cstdio>
#include <string>

inline std::string Shown(float v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", static_cast<double>(v));
    return text;
}
