// One world: heightfield, colour map and tree map, built in place in this
// order, the order that decides which stretch of the random sequence each
// generator draws. Start-up and F5 build with it, and so does every tool that
// needs the program's world.
#pragma once

// Builds a world from where the random sequence stands; the tree map adds its
// trees to treeCount, which start-up leaves at its initial 0 and F5 resets.
void buildWorld();
