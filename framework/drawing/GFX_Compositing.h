#pragma once
// Compositing between bitmaps: a weighted blit of a source rectangle and a weighted
// rectangle fill. Both clip silently and never touch a pixel outside either bitmap, for
// any position and size.

#include "GFX_IBitmap.h"
#include "GFX_Rect.h"

#include <cstddef>
#include <cstdint>

// Blend modes. The low byte selects the operation; kBlitUseSourceAlpha weighs each source
// pixel by its own alpha.
constexpr int kBlitCopy = 0;
constexpr int kBlitUseSourceAlpha = 0x10000;
constexpr int kBlitCopyAlpha = kBlitUseSourceAlpha | 0;       // source-over with source alpha
constexpr int kBlitAdditiveAlpha = kBlitUseSourceAlpha | 1;   // add, scaled by source alpha
constexpr int kBlitDodgeAlpha = kBlitUseSourceAlpha | 2;      // colour dodge, scaled by source alpha

// Composites `source` (the whole bitmap when sourceRect is null) onto `dest` with its
// top-left corner at (dx, dy). Weight 0..1 scales the effect; values outside are clamped,
// 0 (or NaN) does nothing. Modes other than the four above draw nothing.
void BlitRegion(GFX_IBitmap* dest, GFX_IBitmap* source, int dx, int dy, const GFX_Rect* sourceRect,
                float weight, int mode);

// Fills w x h pixels at (x, y) of `dest` with `colour` (alpha in bits 24..31) at the given
// weight. With kBlitUseSourceAlpha in `mode` the weight is scaled by the colour's alpha.
// Only the copy operation (low byte 0) is provided.
void FillArea(GFX_IBitmap* dest, int x, int y, int w, int h, uint32_t colour, float weight, int mode);

// Blends `count` 8-bit coverage values (0 none, 255 full) in the colour `ink` (its red,
// green and blue; alpha rises with coverage) into a row of pixels, at a weight level of
// 1..256 (256 = full strength). Used for text drawn from glyph masks.
void BlendCoverageRow(uint32_t* pixels, const uint8_t* coverage, size_t count, uint32_t ink, int weightLevel);
