#include "trees/placement.h"

#include <cstdlib>

#include "app/state.h"

void generateTreeMap()
{
    // The outer ring of cells is never written, so no tree stands on the border.
    for (int i = 1; i <= 254; i++) {
        for (int j = 1; j <= 254; j++) {
            if (!(terrain[i][j] >= 10.0f)) {
                treeMap[i][j] = 0;  // water takes no draw
                continue;
            }
            int r = rand() % 1001;
            if (r == 0) {
                treeMap[i][j] = 1;
                treeCount++;
            } else if (r == 1) {
                treeMap[i][j] = 2;
                treeCount++;
            } else {
                treeMap[i][j] = 0;
            }
        }
    }
}
