// Random placement of the two tree kinds over the land.
#pragma once

void generateTreeMap();
