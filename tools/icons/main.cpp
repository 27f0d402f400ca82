// kadenzo-icon: draws the program's icon from its XPM into the files the
// build needs, so the pixels are kept in one place, the XPM, and never in
// the sources as PNG or ICO.
//
//   kadenzo-icon INPUT.xpm [--png SIZE OUTPUT.png]... [--ico OUTPUT.ico]...
//
// --png writes the icon at SIZE × SIZE pixels by whole source pixels (the
// icon theme's sizes, the site's); --ico writes the 16-colour Windows icon.
// Missing directories on the way to an output are made.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <string>

#include "tools/icons/icon_files.h"
#include "tools/icons/xpm.h"

namespace {

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path());
  std::ofstream output(path, std::ios::binary | std::ios::trunc);
  if (!output.write(bytes.data(), static_cast<std::streamsize>(bytes.size())) || !output.flush())
    throw std::runtime_error("cannot write " + path.string());
}

int Usage() {
  std::cerr << "usage: kadenzo-icon INPUT.xpm [--png SIZE OUTPUT.png]... [--ico OUTPUT.ico]...\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace kadenzo::icons;
  if (argc < 4) return Usage();
  const std::string input = argv[1];
  try {
    std::ifstream file(input, std::ios::binary);
    if (!file) throw std::runtime_error("cannot read it");
    std::ostringstream source;
    source << file.rdbuf();
    const Image image = ReadXpm(source.str());

    for (int i = 2; i < argc;) {
      const std::string option = argv[i];
      if (option == "--png" && i + 2 < argc) {
        const std::string sizeText = argv[i + 1];
        std::size_t end = 0;
        int size = 0;
        try {
          size = std::stoi(sizeText, &end);
        } catch (const std::exception&) {
          end = 0;
        }
        if (end != sizeText.size() || size < 1 || size > 1024) {
          std::cerr << "kadenzo-icon: bad size '" << sizeText << "'\n";
          return 2;
        }
        WriteFile(argv[i + 2], WritePng(ScaleSharp(image, size)));
        i += 3;
      } else if (option == "--ico" && i + 1 < argc) {
        WriteFile(argv[i + 1], WriteIco(image));
        i += 2;
      } else {
        return Usage();
      }
    }
  } catch (const std::exception& error) {
    std::cerr << "kadenzo-icon: " << input << ": " << error.what() << '\n';
    return EXIT_FAILURE;
  }
  return EXIT_SUCCESS;
}
