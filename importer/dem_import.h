// An elevation model (any GDAL raster in any coordinate system: SRTM,
// Copernicus DEM) warped onto a scene's grid and written beside the scene as
// its elevation code file (.dem) and range file (.lev): code 0 for sea and
// no-data, codes 1..255 spread linearly from the lowest to the highest land
// altitude.
#pragma once

#include <string>

#include "core/support/messenger.h"
#include "core/support/progress.h"

namespace lumora::importer {

// Elevation codes of altitudes (metres, whole numbers) between minAltitude
// (code 1) and maxAltitude (code 255): 1 + trunc((a - min) * 254 / (max -
// min) + 0.5), kept within 1..255. Sea (0 m and below) is 0.
int ElevationCode(double altitude, int minAltitude, int maxAltitude);

// Writes SCENE.dem and SCENE.lev for the scene of sceneInf. An elevation
// model already there is kept unless replace is set (61471). Messages as
// the scene import, and 61472 when the model does not reach the scene, 61475
// when it holds no altitude (all no-data or NaN) where it does,
// 61473 when the scene has no geographic reference.
bool ImportDem(const std::string& demPath, const std::string& sceneInf, bool replace,
               Messenger& messenger, Progress* progress);

}  // namespace lumora::importer
