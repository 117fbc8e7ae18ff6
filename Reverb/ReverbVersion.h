#pragma once
// The reverb's version, written here and nowhere else: the plug-in reports it to hosts, the
// editor's about overlay shows it, and the module's version resource and the release scripts
// read it. Plain macros, so that the resource compiler can read this file too.

#define TESSIVANE_VERSION_MAJOR 1
#define TESSIVANE_VERSION_MINOR 2
#define TESSIVANE_VERSION_PATCH 8
#define TESSIVANE_VERSION_TEXT "1.2.8"

// The version as hosts receive it: one byte each for major, minor and patch.
#define TESSIVANE_VERSION_NUMBER \
    ((TESSIVANE_VERSION_MAJOR << 16) | (TESSIVANE_VERSION_MINOR << 8) | TESSIVANE_VERSION_PATCH)
