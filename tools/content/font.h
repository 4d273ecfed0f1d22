// The bitmap font "data\font.jpg": a 1024 x 1024 image of 16 x 16 cells of
// 64 pixels, the glyph of byte c in column c mod 16 and row c div 16 (row 0
// at the top), white on black, rendered from DejaVu Sans Bold with FreeType.
#pragma once

// Writes the font image; ends the process if the font file cannot be read.
void WriteFont();
