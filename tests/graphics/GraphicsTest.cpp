#include "GraphicsTestSupport.h"

#include "GFX_IBitmap.h"
#include "IBitmapCache.h"
#include "IBitmapControl.h"
#include "IFaderControl.h"
#include "IParamEntry.h"
#include "ITextControl.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using Log = std::vector<std::string>;

const IMouseMods kLeft(true, false);
const IMouseMods kRight(false, true);

// Three controls: a background "bg" over the whole editor, "a" at (10,10)-(30,30) on the
// Gain parameter, and "b" at (20,20)-(40,40) without a parameter, attached after "a".
struct EventLog
{
    Log events;   // outlives the editor, whose controls log their deletion
};

struct DispatchRig : EventLog, EditorRig
{
    DispatchRig()
    {
        background = Add(new RecordingControl(&plug, IRect(0, 0, 60, 40), -1, &events, "bg"));
        a = Add(new RecordingControl(&plug, IRect(10, 10, 30, 30), kGain, &events, "a"));
        b = Add(new RecordingControl(&plug, IRect(20, 20, 40, 40), -1, &events, "b"));
    }
    RecordingControl* background;
    RecordingControl* a;
    RecordingControl* b;
};

// ---- Hit testing ----------------------------------------------------------------------------

TEST(GraphicsHitTest, TheControlAttachedLaterWinsWhereControlsOverlap)
{
    DispatchRig rig;
    EXPECT_EQ(rig.editor->HitTestControls(25, 25), 2);
    EXPECT_EQ(rig.editor->HitTestControls(15, 15), 1);
    EXPECT_EQ(rig.editor->HitTestControls(50, 5), 0);
    EXPECT_EQ(rig.editor->HitTestControls(60, 5), -1);
}

TEST(GraphicsHitTest, HiddenAndGreyedControlsAreSkipped)
{
    DispatchRig rig;
    rig.b->SetHidden(true);
    EXPECT_EQ(rig.editor->HitTestControls(25, 25), 1);
    rig.a->SetGreyed(true);
    EXPECT_EQ(rig.editor->HitTestControls(25, 25), 0);

    rig.editor->DispatchMouseDown(25, 25, kLeft);
    rig.editor->DispatchMouseUp(25, 25, kLeft);
    EXPECT_EQ(rig.events, (Log{"bg left down 25 25", "bg up 25 25"}));
    EXPECT_TRUE(rig.plug.log.empty());
}

TEST(GraphicsHitTest, HoverAdmitsGreyedControlsThatAskForIt)
{
    DispatchRig rig;
    rig.b->SetGreyed(true);
    EXPECT_EQ(rig.editor->HoverHitTest(35, 35), 0);
    rig.b->SetHoverWhenGreyed(true);
    EXPECT_EQ(rig.editor->HoverHitTest(35, 35), 2);
    EXPECT_EQ(rig.editor->HitTestControls(35, 35), 0);
}

// ---- Mouse dispatch -------------------------------------------------------------------------

TEST(GraphicsDispatch, PressOnAParameterControlIsWrappedInAGesture)
{
    DispatchRig rig;
    EXPECT_TRUE(rig.editor->DispatchMouseDown(15, 15, kLeft));
    EXPECT_EQ(rig.editor->CapturedIndex(), 1);
    EXPECT_EQ(rig.editor->LastMouseX(), 15);
    EXPECT_EQ(rig.plug.log, Log{"begin 0"});

    // The release goes to the captured control wherever the pointer is.
    EXPECT_TRUE(rig.editor->DispatchMouseUp(55, 35, kLeft));
    EXPECT_EQ(rig.events, (Log{"a left down 15 15", "a up 55 35"}));
    EXPECT_EQ(rig.plug.log, (Log{"begin 0", "end 0"}));
    EXPECT_EQ(rig.editor->CapturedIndex(), -1);
}

TEST(GraphicsDispatch, ControlsWithoutAParameterGetNoGesture)
{
    DispatchRig rig;
    rig.editor->DispatchMouseDown(35, 35, kLeft);
    rig.editor->DispatchMouseUp(35, 35, kLeft);
    EXPECT_EQ(rig.events, (Log{"b left down 35 35", "b up 35 35"}));
    EXPECT_TRUE(rig.plug.log.empty());
}

TEST(GraphicsDispatch, PressOutsideEveryControlReachesNobody)
{
    DispatchRig rig;
    EXPECT_FALSE(rig.editor->DispatchMouseDown(100, 100, kLeft));
    EXPECT_FALSE(rig.editor->DispatchMouseUp(100, 100, kLeft));
    EXPECT_TRUE(rig.events.empty());
    EXPECT_EQ(rig.editor->CapturedIndex(), -1);
}

TEST(GraphicsDispatch, Vst3RightPressOpensTheHostMenuInstead)
{
    DispatchRig rig;
    rig.plug.UseApiKind(kApiVST3);
    EXPECT_TRUE(rig.editor->DispatchMouseDown(15, 16, kRight));
    EXPECT_EQ(rig.plug.log, Log{"menu 0 15 16"});
    EXPECT_TRUE(rig.events.empty()) << "no MouseDown";
    EXPECT_EQ(rig.editor->CapturedIndex(), -1);

    // The release that follows the menu ends no gesture, since none began.
    rig.editor->DispatchMouseUp(15, 16, kRight);
    EXPECT_EQ(rig.plug.log, Log{"menu 0 15 16"});
}

TEST(GraphicsDispatch, Vst3RightPressOnAControlWithoutParameterIsOrdinary)
{
    DispatchRig rig;
    rig.plug.UseApiKind(kApiVST3);
    rig.editor->DispatchMouseDown(35, 35, kRight);
    EXPECT_EQ(rig.events, Log{"b right down 35 35"});
    EXPECT_TRUE(rig.plug.log.empty());
}

TEST(GraphicsDispatch, Vst2RightPressIsAnOrdinaryPress)
{
    DispatchRig rig;
    rig.plug.UseApiKind(kApiVST2);
    rig.editor->DispatchMouseDown(15, 16, kRight);
    EXPECT_EQ(rig.events, Log{"a right down 15 16"});
    EXPECT_EQ(rig.plug.log, Log{"begin 0"});
    rig.editor->DispatchMouseUp(15, 16, kRight);
    EXPECT_EQ(rig.plug.log, (Log{"begin 0", "end 0"}));
}

TEST(GraphicsDispatch, Vst3LeftPressIsAnOrdinaryPress)
{
    DispatchRig rig;
    rig.plug.UseApiKind(kApiVST3);
    rig.editor->DispatchMouseDown(15, 16, kLeft);
    EXPECT_EQ(rig.events, Log{"a left down 15 16"});
    EXPECT_EQ(rig.plug.log, Log{"begin 0"});
}

TEST(GraphicsDispatch, EveryGestureEndsExactlyOnce)
{
    DispatchRig rig;
    // A second press before the first release (another button, a lost release) ends the
    // gesture still open before beginning the next.
    rig.editor->DispatchMouseDown(15, 15, kLeft);
    rig.editor->DispatchMouseDown(15, 15, kRight);
    rig.editor->DispatchMouseUp(15, 15, kLeft);
    rig.editor->DispatchMouseUp(15, 15, kRight);
    EXPECT_EQ(rig.plug.log, (Log{"begin 0", "end 0", "begin 0", "end 0"}));

    // A release after the capture was dropped (a popup menu) still ends the gesture, even
    // away from every control.
    rig.plug.log.clear();
    rig.editor->DispatchMouseDown(15, 15, kLeft);
    rig.editor->ReleaseControlCapture();
    rig.editor->DispatchMouseUp(100, 100, kLeft);
    EXPECT_EQ(rig.plug.log, (Log{"begin 0", "end 0"}));
}

TEST(GraphicsDispatch, HoverIsRoutedOnlyWhenEnabled)
{
    DispatchRig rig;
    EXPECT_FALSE(rig.editor->DispatchMouseOver(15, 15, IMouseMods()));
    EXPECT_TRUE(rig.events.empty());

    rig.editor->SetHandleHover(true);
    EXPECT_TRUE(rig.editor->DispatchMouseOver(15, 15, IMouseMods()));
    EXPECT_TRUE(rig.editor->DispatchMouseOver(16, 15, IMouseMods()));
    EXPECT_TRUE(rig.editor->DispatchMouseOver(35, 35, IMouseMods()));
    EXPECT_TRUE(rig.editor->DispatchMouseOver(100, 100, IMouseMods()));
    EXPECT_EQ(rig.events, (Log{"a enter 15 15", "a enter 16 15", "b enter 35 35", "a leave"}));
    EXPECT_EQ(rig.editor->HoveredIndex(), 2);
}

TEST(GraphicsDispatch, HoverFollowsTheCapturedControl)
{
    DispatchRig rig;
    rig.editor->SetHandleHover(true);
    rig.editor->DispatchMouseDown(15, 15, kLeft);
    rig.editor->DispatchMouseOver(35, 35, IMouseMods());
    EXPECT_EQ(rig.events.back(), "a enter 35 35");
}

// ---- Painting -------------------------------------------------------------------------------

TEST(GraphicsPaint, RectangleTouchingAControlsLeftEdgePaintsItButNotOneTouchingItsRight)
{
    Log events;
    EditorRig rig;
    rig.Add(new RecordingControl(&rig.plug, IRect(10, 10, 20, 20), -1, &events, "c"));

    rig.editor->PaintRegion(IRect(0, 0, 10, 15));   // right edge at the control's left
    EXPECT_EQ(events, Log{"c paint"});
    events.clear();
    rig.editor->PaintRegion(IRect(20, 10, 30, 20));  // left edge at the control's right
    EXPECT_TRUE(events.empty());
    rig.editor->PaintRegion(IRect(0, 0, 15, 10));   // bottom edge at the control's top
    EXPECT_EQ(events, Log{"c paint"});
    events.clear();
    rig.editor->PaintRegion(IRect(10, 20, 20, 30));  // top edge at the control's bottom
    EXPECT_TRUE(events.empty());
}

TEST(GraphicsPaint, PaintsVisibleControlsInOrderAndCommitsAll)
{
    DispatchRig rig;
    rig.b->SetHidden(true);
    EXPECT_TRUE(PaintAll(*rig.editor));
    EXPECT_EQ(rig.events, (Log{"bg paint", "a paint"}));
    EXPECT_EQ(rig.editor->PaintRect(), IRect(0, 0, 60, 40));
    EXPECT_EQ(rig.editor->Recorded().presentCount, 1);
    EXPECT_EQ(rig.editor->Recorded().lastPresented, IRect(0, 0, 60, 40));
    // The hidden control had a pending redraw: one more pass, then clean.
    EXPECT_FALSE(rig.a->NeedsRedraw());
    EXPECT_TRUE(rig.b->NeedsRedraw());
    PaintAll(*rig.editor);
    EXPECT_FALSE(rig.b->NeedsRedraw());
}

TEST(GraphicsPaint, AnEditorWithoutControlsPresentsNothing)
{
    EditorRig rig;
    EXPECT_TRUE(PaintAll(*rig.editor));
    EXPECT_EQ(rig.editor->Recorded().presentCount, 0);
}

TEST(GraphicsPaint, ChangedControlsAloneRepaintWhatTheyMeet)
{
    DispatchRig rig;
    rig.editor->SetDrawAllIntersecting(false);
    PaintAll(*rig.editor);   // everything starts dirty: the background repaints all
    EXPECT_EQ(rig.events, (Log{"bg paint", "a paint", "b paint"}));
    EXPECT_FALSE(rig.a->NeedsRedraw());

    rig.events.clear();
    rig.b->MarkChanged(false);
    PaintAll(*rig.editor);
    EXPECT_EQ(rig.events, (Log{"bg paint", "a paint", "b paint"}));
    EXPECT_EQ(rig.editor->PaintRect(), IRect(20, 20, 40, 40));

    rig.events.clear();
    PaintAll(*rig.editor);
    EXPECT_TRUE(rig.events.empty());
}

// ---- Parameters -----------------------------------------------------------------------------

TEST(GraphicsParameters, PlainValuesAreClampedBeforeNormalising)
{
    EditorRig rig;
    auto* gain = rig.Add(new PlainControl(&rig.plug, IRect(0, 0, 5, 5), kGain));
    auto* curve = rig.Add(new PlainControl(&rig.plug, IRect(0, 0, 5, 5), kCurve));
    auto* fixed = rig.Add(new PlainControl(&rig.plug, IRect(0, 0, 5, 5), kFixed));

    rig.editor->PushParameterToControls(kGain, 2.5, false);
    EXPECT_DOUBLE_EQ(gain->Value(), 0.25);
    rig.editor->PushParameterToControls(kGain, 20.0, false);
    EXPECT_EQ(gain->Value(), 1.0);
    rig.editor->PushParameterToControls(kGain, -5.0, false);
    EXPECT_EQ(gain->Value(), 0.0);

    rig.editor->PushParameterToControls(kCurve, 25.0, false);
    EXPECT_DOUBLE_EQ(curve->Value(), 0.5) << "shape 2: the square root";

    rig.editor->PushParameterToControls(kFixed, 3.0, false);
    EXPECT_EQ(fixed->Value(), 0.0);
    EXPECT_FALSE(std::isnan(fixed->DefaultValue()));

    rig.editor->PushParameterToControls(kGain, 0.75, true);
    EXPECT_EQ(gain->Value(), 0.75);
    rig.editor->PushParameterToControls(99, 1.0, false);   // no such parameter
    EXPECT_TRUE(rig.plug.log.empty());
}

TEST(GraphicsParameters, LinkedParametersTakeTheFirstMatchOnly)
{
    EditorRig rig;
    auto* control = rig.Add(new PlainControl(&rig.plug, IRect(0, 0, 5, 5), kMode));
    control->AddLinkedParam(kGain);
    control->AddLinkedParam(kGain);
    control->AddLinkedParam(kSwitch);

    rig.editor->PushParameterToControls(kGain, 5.0, false);
    EXPECT_EQ(control->LinkedParams()[0].value, 0.5);
    EXPECT_EQ(control->LinkedParams()[1].value, 0.0);
    EXPECT_EQ(control->Value(), 0.0);
    rig.editor->PushParameterToControls(kSwitch, 1.0, false);
    EXPECT_EQ(control->LinkedParams()[2].value, 1.0);
}

TEST(GraphicsParameters, AttachingGivesEachControlItsFirstValueAsDefault)
{
    EditorRig rig;
    auto* gain = rig.Add(new IFaderControl(&rig.plug, 0, 0, 50, kGain, IBitmapRef()));
    auto* mode = rig.Add(new PlainControl(&rig.plug, IRect(0, 0, 5, 5), kMode));
    rig.Attach();

    EXPECT_EQ(rig.plug.Editor(), rig.editor);
    ASSERT_NE(rig.editor->Surface(), nullptr);
    EXPECT_EQ(rig.editor->Surface()->Width(), 60);
    EXPECT_EQ(rig.editor->Surface()->Height(), 40);
    EXPECT_EQ(gain->Value(), 0.5);
    EXPECT_EQ(gain->DefaultValue(), 0.5);
    EXPECT_EQ(mode->Value(), 0.5);
    EXPECT_TRUE(rig.plug.log.empty()) << "attaching reports nothing to the host";

    // Later values from the plug-in move the control but keep the default.
    rig.plug.Parameter(kGain)->SetValueClamped(9.0);
    rig.plug.PushAllParametersToEditor();
    EXPECT_DOUBLE_EQ(gain->Value(), 0.9);
    EXPECT_EQ(gain->DefaultValue(), 0.5);

    gain->MouseDoubleClick(1, 1, IMouseMods(true, false));
    EXPECT_EQ(gain->Value(), 0.5);
    EXPECT_DOUBLE_EQ(rig.plug.Parameter(kGain)->Value(), 5.0);
    EXPECT_EQ(rig.plug.log, Log{"edit 0 0.5000"});
}

TEST(GraphicsParameters, ChoosingFromAMenuRangesTheIndex)
{
    EditorRig rig;
    auto* control = rig.Add(new PlainControl(&rig.plug, IRect(0, 0, 5, 5), kMode));
    rig.editor->SetPopupChoice(1);
    rig.editor->AskValueForControl(control, rig.plug.Parameter(kMode), IRect(1, 2, 3, 4));
    EXPECT_EQ(control->Value(), 0.5);
    EXPECT_EQ(rig.editor->Recorded().popupRect, IRect(1, 2, 3, 4));

    rig.editor->AskValueForControl(nullptr, rig.plug.Parameter(kMode), IRect());
    rig.editor->AskValueForControl(control, nullptr, IRect());
    EXPECT_EQ(rig.editor->Recorded().popupCount, 1);
}

// ---- Bitmaps and text -----------------------------------------------------------------------

TEST(GraphicsBitmaps, EachResourceIsDecodedOncePerProcess)
{
    EditorRig first;
    EditorRig second;
    const int32_t id = RegisterTestImage(StackedFramesPng(4, 3, {kOpaqueRed, kOpaqueBlue}));
    const int32_t decodesBefore = IGraphicsHeadless::DecodeCount();

    const IBitmapRef a = first.editor->LoadBitmapResource(id, "fader.png", 2);
    const IBitmapRef b = second.editor->LoadBitmapResource(id, "fader.png", 2);
    EXPECT_EQ(IGraphicsHeadless::DecodeCount(), decodesBefore + 1);
    EXPECT_EQ(first.editor->Recorded().platformLoads, 1);
    EXPECT_EQ(second.editor->Recorded().platformLoads, 0);
    ASSERT_NE(a.bitmap, nullptr);
    EXPECT_EQ(a.bitmap, b.bitmap);
    EXPECT_EQ(a.width, 4);
    EXPECT_EQ(a.height, 6);
    EXPECT_EQ(a.frames, 2);
    EXPECT_FALSE(a.framesSideBySide);
}

TEST(GraphicsBitmaps, FailedLoadsAreNotCached)
{
    EditorRig rig;
    const int32_t cachedBefore = IBitmapCache::Shared().Count();
    const int32_t unknown = 999999;
    EXPECT_EQ(rig.editor->LoadBitmapResource(unknown, "missing.png").bitmap, nullptr);
    EXPECT_EQ(rig.editor->LoadBitmapResource(unknown, "missing.png").bitmap, nullptr);
    EXPECT_EQ(rig.editor->Recorded().platformLoads, 2);

    const int32_t id = RegisterTestImage(StackedFramesPng(2, 2, {kOpaqueRed}));
    const IBitmapRef wrongName = rig.editor->LoadBitmapResource(id, "image.bmp", 0);
    EXPECT_EQ(wrongName.bitmap, nullptr);
    EXPECT_EQ(wrongName.width, 0);
    EXPECT_EQ(wrongName.height, 0);
    EXPECT_EQ(wrongName.frames, 1);
    EXPECT_EQ(IBitmapCache::Shared().Count(), cachedBefore);
    EXPECT_NE(rig.editor->LoadBitmapResource(id, "IMAGE.PNG").bitmap, nullptr);
}

TEST(GraphicsBitmaps, PngExtensionIsRecognisedInAnyCase)
{
    EXPECT_TRUE(HasPngExtension("background.png"));
    EXPECT_TRUE(HasPngExtension("a.b.PnG"));
    EXPECT_FALSE(HasPngExtension("png"));
    EXPECT_FALSE(HasPngExtension("image.pngx"));
    EXPECT_FALSE(HasPngExtension("image."));
    EXPECT_FALSE(HasPngExtension(nullptr));
}

TEST(GraphicsText, EmptyTextIsDoneAtOnceAndTouchesNoPixel)
{
    EditorRig rig;
    rig.editor->CreateSurfaces();
    FillSurface(rig.editor->Surface(), kOpaqueWhite);
    ITextStyle style;
    IRect rect(0, 0, 60, 40);
    EXPECT_TRUE(rig.editor->PaintText(&style, "", &rect, false));
    EXPECT_TRUE(rig.editor->PaintText(&style, nullptr, &rect, false));
    EXPECT_TRUE(rig.editor->PaintText(&style, "", &rect, true));
    EXPECT_EQ(rect, IRect(0, 0, 60, 40));
    EXPECT_EQ(CountPixelsNot(rig.editor->Surface(), kOpaqueWhite), 0);
}

#ifndef _WIN32
TEST(GraphicsText, WithoutAFontTextFailsAndDrawsNothing)
{
    EditorRig rig;
    rig.editor->CreateSurfaces();
    FillSurface(rig.editor->Surface(), kOpaqueWhite);
    ITextStyle style;
    IRect rect(0, 0, 60, 40);
    EXPECT_EQ(rig.editor->FontForStyle(&style), nullptr);
    EXPECT_FALSE(rig.editor->PaintText(&style, "5.0 dB", &rect, false));
    EXPECT_FALSE(rig.editor->TextBounds(&style, "5.0 dB", &rect));
    EXPECT_EQ(rect, IRect(0, 0, 60, 40));

    rig.Add(new ITextControl(&rig.plug, rect, style, "5.0 dB"));
    EXPECT_TRUE(PaintAll(*rig.editor));
    EXPECT_EQ(CountPixelsNot(rig.editor->Surface(), kOpaqueWhite), 0);
}
#endif

// ---- Lifecycle ------------------------------------------------------------------------------

TEST(GraphicsLifecycle, ResizingDeletesTheControlsAndTellsThePlugIn)
{
    DispatchRig rig;
    rig.Attach();
    rig.editor->DispatchMouseDown(15, 15, kLeft);
    rig.editor->ResizeEditor(80, 50);

    EXPECT_EQ(rig.editor->ControlCount(), 0);
    EXPECT_EQ(rig.editor->CapturedIndex(), -1);
    EXPECT_EQ(rig.editor->HoveredIndex(), -1);
    EXPECT_EQ(rig.editor->EditorWidth(), 80);
    EXPECT_EQ(rig.editor->EditorHeight(), 50);
    ASSERT_NE(rig.editor->Surface(), nullptr);
    EXPECT_EQ(rig.editor->Surface()->Width(), 80);
    EXPECT_EQ(rig.editor->Surface()->Height(), 50);
    EXPECT_EQ(rig.events, (Log{"a left down 15 15", "b deleted", "a deleted", "bg deleted"}))
        << "controls go last index first";
    EXPECT_EQ(rig.plug.log, (Log{"begin 0", "end 0", "resized 80 50"}));

    // The caller rebuilds the controls afterwards.
    rig.Add(new RecordingControl(&rig.plug, IRect(0, 0, 80, 50), -1, nullptr, "new"));
    EXPECT_EQ(rig.editor->HitTestControls(70, 45), 0);
}

TEST(GraphicsLifecycle, TheEditorDeletesItsControlsAndKeyCatcher)
{
    Log events;
    {
        TestPlug plug;
        auto* editor = new IGraphicsHeadless(&plug, 10, 10);
        editor->AddControl(new RecordingControl(&plug, IRect(0, 0, 5, 5), -1, &events, "first"));
        editor->InsertBackground(new RecordingControl(&plug, IRect(0, 0, 10, 10), -1, &events, "bg"));
        editor->SetKeyCatcher(new RecordingControl(&plug, IRect(), -1, &events, "keys"));
        EXPECT_EQ(editor->Control(0)->Rect(), IRect(0, 0, 10, 10));
        EXPECT_EQ(editor->Control(1)->Graphics(), editor);
        EXPECT_EQ(editor->KeyCatcher()->Graphics(), editor);
        EXPECT_EQ(editor->Control(2), nullptr);
        EXPECT_EQ(editor->AddControl(nullptr), -1);
        plug.AttachEditor(editor);
    }
    EXPECT_EQ(events, (Log{"keys deleted", "first deleted", "bg deleted"}));
}

} // namespace
