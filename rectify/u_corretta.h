// The rectified image: its close sequence, next to the window it ends.
#pragma once

// The answer "Chiudi corretta" of the notice window: refuses with notice "2"
// when no rectified image is open, else empties the georeferencing window
// and the DXF point table.
void CloseRectifiedImage();
