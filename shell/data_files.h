// Where the editor finds its own files, "readme" and "skin.bmp". In the build
// tree they are in the working folder and beside the executable; an installed
// editor also finds them in its data folder, share/vellumark beside its bin
// folder (/usr/share/vellumark for /usr/bin/vellumark), looked in second.
#pragma once

#include <QString>

// The installed data folder, whether it exists or not.
QString dataFolder();

// "readme" (the working folder's) when the working folder has an entry of
// that name or the data folder has no readme; the data folder's otherwise.
QString readmePath();

// skin.bmp beside the executable when it is there; otherwise the data
// folder's when that folder exists, else the one beside the executable (the
// error box names it).
QString skinPath();
