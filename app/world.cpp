#include "app/world.h"

#include "app/state.h"
#include "terrain/colourmap.h"
#include "terrain/heightfield.h"
#include "trees/placement.h"

// The colour map and the tree map both read the heights.
void buildWorld()
{
    getHeightField();
    turbulence();
    generateTreeMap();
}
