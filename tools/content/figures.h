// The human figures of "Huma\", "Humb\" and "Humc\" (parts HEAD, SHIRT, HANDS
// and NOGI, about 1800 units tall, drawn by the scenes at 1/70), the screen
// PLANE beside the first scene's figure, and the big kuba figure
// ("Data\kuba.geox" with "data\kuba.map"). A figure faces +z of its model
// space; the scenes turn it half round about y.
#pragma once

// Writes the three figure directories and the kuba model; returns the number
// of model files written.
int WriteFigures();
