// helpc: compiles the help source (markup in source.h) into the help file the program
// opens.   helpc SOURCE OUTPUT
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <iterator>

#include "tools/helpc/hlpwriter.h"
#include "tools/helpc/source.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: helpc SOURCE OUTPUT\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "helpc: cannot read %s\n", argv[1]);
    return 1;
  }
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  helpc::HelpSource src;
  std::string error;
  if (!helpc::parseSource(text, src, error)) {
    std::fprintf(stderr, "%s:%s\n", argv[1], error.c_str());
    return 1;
  }
  // A fixed date keeps the build reproducible; SOURCE_DATE_EPOCH overrides it.
  const char* epoch = std::getenv("SOURCE_DATE_EPOCH");
  uint32_t when = epoch ? uint32_t(std::strtoul(epoch, nullptr, 10)) : 946684800u;
  try {
    auto bytes = helpc::buildHelpFile(src, when);
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out) {
      std::fprintf(stderr, "helpc: cannot write %s\n", argv[2]);
      return 1;
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "helpc: %s\n", e.what());
    return 1;
  }
  return 0;
}
