#pragma once

#include "IEditorLink.h"

#include <cstdint>
#include <vector>

// An editor that records what the instance core and the host adapters ask of it.
class RecordingEditor : public IEditorLink
{
public:
    struct Push
    {
        int32_t index;
        double value;
        bool normalized;
    };

    RecordingEditor() = default;
    // Sets *destroyed when the editor's owner deletes it.
    explicit RecordingEditor(bool* destroyedFlag) : destroyed(destroyedFlag) {}
    ~RecordingEditor() override
    {
        if (destroyed)
            *destroyed = true;
    }

    void PushParameterToControls(int32_t index, double value, bool normalized) override
    {
        pushes.push_back({index, value, normalized});
    }
    void CreateSurfaces() override { ++surfacesCreated; }
    int32_t EditorWidth() const override { return width; }
    int32_t EditorHeight() const override { return height; }
    void* OpenEditorWindow(void* parent) override
    {
        ++openCount;
        openedIn = parent;
        return opens ? &window : nullptr;
    }
    void CloseEditorWindow() override { ++closeCount; }

    std::vector<Push> pushes;
    int surfacesCreated = 0;
    int32_t width = 251;
    int32_t height = 373;
    bool opens = true;         // whether OpenEditorWindow makes a window
    void* openedIn = nullptr;  // the parent of the last opening
    int openCount = 0;
    int closeCount = 0;

private:
    bool* destroyed = nullptr;
    int window = 0;
};
