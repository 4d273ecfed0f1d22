// The JPEG images of the data tree: textures, sphere maps, the sky panorama,
// the sun, smoke, flash and the three pixel-art loops for the first scene's
// screen. Every image is computed from fixed seeds, so the files come out the
// same on every run.
#pragma once

// Writes every image except the font into the output tree; returns the
// number of files written.
int WriteImages();
