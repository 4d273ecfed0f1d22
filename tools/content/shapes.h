// The single models and the blob set: the sky dome "data\sky.textgeox", the
// turning cage "data\arounder.textgeox", the corridor "Data\corridor.geox"
// with "data\corridor.map", and the chrome blobs of "Wobbla\".
#pragma once

// Writes them all; returns the number of model files written.
int WriteShapes();
