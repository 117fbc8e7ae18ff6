#pragma once
// The editor: it owns the controls and the drawing surface, paints changed regions, routes
// the mouse to the topmost control under it, and carries parameter values both ways between
// the controls and the plug-in. Everything that needs the window system is a virtual
// operation of the platform's editor class.

#include "IChoiceMenu.h"
#include "IEditorLink.h"
#include "IGraphicsTypes.h"
#include "IPendingParameters.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

class GFX_IBitmap;
class GFX_IFont;
class GFX_MemBitmap;
class IControl;
class IEffectBase;
class IParamEntry;

class IGraphics : public IEditorLink
{
public:
    static constexpr int32_t kDefaultFrameRate = 25;   // redraw timer ticks per second

    // AskForFile actions.
    enum FileAction : int32_t
    {
        kFileOpen = 0,
        kFileSave = 1,
    };

    IGraphics(IEffectBase* plug, int32_t width, int32_t height, int32_t frameRate = kDefaultFrameRate);
    ~IGraphics() override;
    IGraphics(const IGraphics&) = delete;
    IGraphics& operator=(const IGraphics&) = delete;

    // ---- Window-system operations -----------------------------------------------------------
    // Copies a rectangle of the drawing surface to the window.
    virtual bool PresentRect(const IRect& rect) = 0;
    // Measures a text: the rectangle keeps its anchor for the alignment and takes the size.
    virtual bool TextBounds(ITextStyle* style, const char* text, IRect* rect);
    virtual void CancelTextEntry() = 0;
    // Changes the editor's size: every control is deleted (the caller adds new ones), the
    // surfaces are made anew and the plug-in is told.
    virtual void ResizeEditor(int32_t width, int32_t height);
    virtual bool HasWindow();
    virtual const char* BackendName() const;
    virtual int32_t MessageDialog(const char* text, const char* caption, int32_t type) = 0;
    // Shows a menu below `rect`; returns the (sub)menu the user chose from, with its chosen
    // index set, or null when the menu was dismissed.
    virtual IChoiceMenu* ShowPopupMenu(IChoiceMenu* menu, const IRect& rect) = 0;
    // Opens an in-place entry field; the typed value goes to the control (through the
    // parameter's range when `param` is given, as free text otherwise).
    virtual void BeginTextEntry(IControl* control, const ITextStyle& style, const IRect& rect, const char* text,
                                IParamEntry* param) = 0;
    // Folder queries; each result ends in the path separator where the platform's does.
    virtual std::string HostDirectory() = 0;
    virtual std::string ModuleDirectory() = 0;
    virtual std::string DesktopDirectory() = 0;
    virtual std::string AppDataDirectory(bool allUsers) = 0;
    virtual std::string UserAppDataDirectory() = 0;
    // File chooser: `fileName` and `directory` go in as the start and come back as the
    // choice; a cancelled chooser leaves `fileName` empty. `extensions` is space-separated.
    virtual void AskForFile(std::string& fileName, FileAction action, std::string& directory,
                            const char* extensions) = 0;
    // Colour chooser: true with the chosen red, green and blue stored (alpha kept).
    virtual bool AskForColour(IRgba& colour, const char* caption) = 0;
    void* OpenEditorWindow(void* parentWindow) override = 0;
    void CloseEditorWindow() override = 0;
    virtual void* WindowHandle() = 0;
    virtual bool ReadClipboardText(std::string& text) = 0;
    virtual void ConcealPointer() {}
    virtual void RevealPointer() {}
    // Decodes the bitmap resource `id`; null when it is missing or cannot be decoded.
    virtual std::unique_ptr<GFX_IBitmap> LoadPlatformBitmap(int32_t id, const char* name) = 0;

    // ---- Controls -----------------------------------------------------------------------------
    // Appends a control, taking ownership; returns its index (-1 for null).
    int32_t AddControl(IControl* control);
    // Puts the background control first, below every other control.
    void InsertBackground(IControl* control);
    int32_t ControlCount() const { return static_cast<int32_t>(controls.size()); }
    // The control at `index`, or null outside the list.
    IControl* Control(int32_t index) const;
    // The control that takes keys that no control under the pointer takes; owned.
    void SetKeyCatcher(IControl* control);
    IControl* KeyCatcher() const { return keyCatcher.get(); }

    // ---- Parameters ---------------------------------------------------------------------------
    // Hands a parameter's value (plain values are clamped and normalised first) to every
    // control bound to it and to the first matching linked parameter of each control, then
    // lets the plug-in update what else it shows of the parameter. Controls are touched only
    // on the window thread: a value pushed from any other thread waits there until
    // ApplyPendingChanges, so the host's audio thread never waits for painting.
    void PushParameterToControls(int32_t paramIndex, double value, bool valueIsNormalized) override;
    // Marks every control changed without pushing, so that the whole editor is repainted; from
    // another thread the marking waits for ApplyPendingChanges.
    void MarkAllChanged();
    // Window thread: shows the values and repaint requests left by other threads. The
    // window's timer calls it before collecting dirty controls, and opening a window calls it.
    void ApplyPendingChanges();
    // True on the editor's window thread: the thread that built the editor, until a window is
    // opened on another one.
    bool OnWindowThread() const;
    // Drops a value another thread left for the parameter; an edit made under the instance
    // lock is newer.
    void ForgetPendingValue(int32_t paramIndex) { pending.Forget(paramIndex); }
    // Offers a menu of the parameter's display texts, or an entry field for its number.
    void AskValueForControl(IControl* control, IParamEntry* param, const IRect& rect);

    // ---- Drawing ------------------------------------------------------------------------------
    // Bitmaps are decoded once per process and shared by every editor.
    IBitmapRef LoadBitmapResource(int32_t id, const char* name, int32_t frames = 1);
    // Draws the bitmap area starting at (sourceX, sourceY) into `dest`, clipped to the paint
    // rectangle. A null blend is the default blend at full weight. Returns true.
    bool DrawBitmapRegion(const IBitmapRef& bitmap, const IRect& dest, int32_t sourceX, int32_t sourceY,
                          const IBlend* blend);
    // Draws text into `rect` in the style, or with `measure` stores its size into `rect`.
    // An empty text is done at once; false when no font can be made for the style.
    bool PaintText(ITextStyle* style, const char* text, IRect* rect, bool measure);
    // The cached font for the style, made on first use and remembered in the style; null when
    // the platform cannot make it.
    GFX_IFont* FontForStyle(ITextStyle* style);
    void CreateSurfaces() override;
    // Paints the controls that `rect` meets and presents the rectangle.
    bool PaintRegion(const IRect& rect);

    // ---- Mouse --------------------------------------------------------------------------------
    // The topmost visible, enabled control under the point, or -1.
    int32_t HitTestControls(int32_t x, int32_t y);
    // The same, admitting greyed controls that accept hover.
    int32_t HoverHitTest(int32_t x, int32_t y);
    // Each returns true when a control received the event (DispatchMouseOver: the hover flag).
    bool DispatchMouseDown(int32_t x, int32_t y, const IMouseMods& mods);
    bool DispatchMouseUp(int32_t x, int32_t y, const IMouseMods& mods);
    bool DispatchMouseOver(int32_t x, int32_t y, const IMouseMods& mods);
    void ReleaseControlCapture();

    // ---- State --------------------------------------------------------------------------------
    IEffectBase* Plug() const { return plug; }
    int32_t EditorWidth() const override { return width; }
    int32_t EditorHeight() const override { return height; }
    int32_t FrameRate() const { return frameRate; }
    GFX_IBitmap* Surface() const { return surface.get(); }
    const IRect& PaintRect() const { return paintRect; }
    int32_t CapturedIndex() const { return capturedIndex; }
    int32_t HoveredIndex() const { return hoveredIndex; }
    int32_t LastMouseX() const { return lastMouseX; }
    int32_t LastMouseY() const { return lastMouseY; }
    bool HandlesHover() const { return handleHover; }
    void SetHandleHover(bool handle) { handleHover = handle; }
    bool DrawsAllIntersecting() const { return drawAllIntersecting; }
    void SetDrawAllIntersecting(bool all) { drawAllIntersecting = all; }
    bool TooltipsEnabled() const { return tooltipsEnabled; }
    void SetTooltipsEnabled(bool enabled) { tooltipsEnabled = enabled; }

protected:
    // Forgets the controls and their capture, hover and gesture state, deleting the controls
    // last index first.
    void DeleteControls();
    // Makes the calling thread the window thread; a window opens on the thread that serves it.
    void TakeWindowThread();
    // Tells the host that an edit of the control's parameter begins, unless a gesture is open
    // already or the control has no parameter; the next release, or EndOpenGesture, ends it.
    void BeginControlGesture(const IControl& control);
    void EndOpenGesture();
    bool GestureOpen() const { return gestureParamIndex >= 0; }

    std::vector<std::unique_ptr<IControl>> controls;   // index 0 is the background
    IEffectBase* plug;
    IRect paintRect;                                   // clip of the paint pass under way
    bool cursorHidden = false;
    int32_t rememberedCursorX = -1;                    // screen position saved while hidden
    int32_t rememberedCursorY = -1;
    std::unique_ptr<GFX_IBitmap> surface;              // what the controls draw into
    std::unique_ptr<GFX_MemBitmap> scratch;
    int32_t width;
    int32_t height;
    int32_t frameRate;
    int32_t capturedIndex = -1;                        // control that took the last press
    int32_t hoveredIndex = -1;
    int32_t lastMouseX = 0;
    int32_t lastMouseY = 0;
    bool handleHover = false;
    bool drawAllIntersecting = true;
    bool tooltipsEnabled = false;
    std::unique_ptr<IControl> keyCatcher;

private:
    void PaintChangedControls();
    void ShowParameter(int32_t paramIndex, double normalized);

    std::atomic<std::thread::id> windowThread;
    IPendingParameters pending;

    // The parameter whose gesture a press began, so that every begin has exactly one end.
    int32_t gestureParamIndex = -1;
};

// True when the text after the last "." of a resource name is "png", in any case.
bool HasPngExtension(const char* name);
