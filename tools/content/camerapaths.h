// The camera paths of every scene, one ".camera" file each. The sampler
// passes through keys 1 to Count - 1 with an equal share of the fraction per
// segment and skips record 0, so each file starts with a copy of its first
// key. Paths of the city scenes keep the eye in the streets or above the
// roofs for the fractions their scene samples; the others are in their own
// spaces (the falling figure, the corridor) or around the blobs and kuba.
#pragma once

// Writes every path; returns the number of files.
int WriteCameraPaths();
