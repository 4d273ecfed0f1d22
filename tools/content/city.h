// The city directory "City\": houses and roofs in three styles, the chrome
// wall and capsule, two elevated tubes, five chimneys whose tops are the
// smoke columns' bases, the ground and rocks, and the roof at height 239.8
// near (50, 28) where the first scene's figure stands. World units are about
// decimetres, y up, ground at y = 0.
#pragma once

// Writes the models and "City\geometry.list"; returns the number of entries.
int WriteCity();
