// The picture generator is a build tool with its own main(); its drawing and file
// writers are compiled into the unit tests here so the tests can check what it writes.
#include "tools/resgen/font.cpp"
#include "tools/resgen/formats.cpp"
#include "tools/resgen/pictures.cpp"
#include "tools/resgen/raster.cpp"
#include "tools/resgen/sound.cpp"
