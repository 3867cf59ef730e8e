// resgen: draws the program's pictures into a folder at build time.
//   resgen OUTDIR         the icons, bitmaps and animations the resource script includes
//   resgen --png OUTDIR   additionally each animation frame and icon size as a BMP, for
//                         looking at them (convert them to PNG with any image tool)
#include <cstdio>
#include <cstring>
#include <string>

#include "tools/resgen/pictures.h"

int main(int argc, char** argv) {
  bool inspect = false;
  int argi = 1;
  if (argi < argc && std::strcmp(argv[argi], "--png") == 0) {
    inspect = true;
    ++argi;
  }
  if (argi + 1 != argc) {
    std::fprintf(stderr, "usage: resgen [--png] OUTDIR\n");
    return 2;
  }
  std::string dir = argv[argi];
  auto files = resgen::allOutputs();
  if (inspect) {
    auto extra = resgen::clipFramesForInspection();
    files.insert(files.end(), extra.begin(), extra.end());
  }
  for (const auto& f : files) {
    std::string path = dir + "/" + f.name;
    if (!resgen::writeFile(path, f.bytes)) {
      std::fprintf(stderr, "resgen: cannot write %s\n", path.c_str());
      return 1;
    }
  }
  return 0;
}
