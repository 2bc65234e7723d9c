// One world: heightfield, colour map and tree map, built in place in this
// order, the order that decides which stretch of the random sequence each
// generator draws. Start-up and F5 build with it, and so does every tool that
// needs the program's world.
#pragma once

// Sets treeCount to 0 and builds a world from where the random sequence stands.
void buildWorld();
