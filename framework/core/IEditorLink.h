#pragma once

#include <cstdint>

// What the instance core and the host adapters need of the plug-in's editor object. The
// graphics framework's editor implements it; the core owns the attached editor and destroys
// it with the instance. The editor and its controls outlive any window the host opens.
class IEditorLink
{
public:
    virtual ~IEditorLink() = default;

    // Hands a parameter's value to every control bound to it (value plain or normalised).
    virtual void PushParameterToControls(int32_t paramIndex, double value, bool valueIsNormalized) = 0;
    // Creates the drawing surfaces once the controls have their first values.
    virtual void CreateSurfaces() = 0;
    virtual int32_t EditorWidth() const = 0;
    virtual int32_t EditorHeight() const = 0;
    // Opens the editor's window as a child of the host's window (an HWND on Windows); returns
    // the new window, or null when it could not be created.
    virtual void* OpenEditorWindow(void* parentWindow) = 0;
    virtual void CloseEditorWindow() = 0;
};
