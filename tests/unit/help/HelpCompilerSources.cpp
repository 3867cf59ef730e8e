// The help compiler is a build tool with its own main(); its reader and writer are
// compiled into the unit tests here so the tests can check what it writes.
#include "tools/helpc/container.cpp"
#include "tools/helpc/hlpwriter.cpp"
#include "tools/helpc/source.cpp"
